// The process: common controls, the hidden owner window, and the main window run inside it.
#include "app/quillet_dlg_win.h"
#include "app/single_copy_win.h"
#include "base/ids.h"
#include "storage/app_data_win.h"
#include "storage/busy_wait.h"
#include "storage/file_io.h"
#include "storage/file_system.h"

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Never shown: as the owner of the main window it keeps the main window off the taskbar.
class CParent : public CDialog {
public:
    explicit CParent(const SDataPaths& paths) : CDialog(IDD_PARENT, nullptr), m_paths(paths) {}

protected:
    BOOL OnInitDialog() override {
        CDialog::s_appMainWnd = m_hWnd;
        {
            CQuilletDlg dialog(m_paths);
            dialog.DoModal();
        }
        EndDialog(IDCANCEL);
        return TRUE;
    }

private:
    const SDataPaths& m_paths;
};

// What this computer keeps of its own for the data folder (records of versions, recovery files,
// later the window's size) goes to a folder of that data folder's, so that an installed and a
// portable copy never take in each other's. The installed copy, nearly always the only one that
// ran before, takes over what earlier versions left in the shared root.
SDataPaths WithLocalFolder(SDataPaths paths, bool defaultFolder) {
    const std::string localAppData = LocalAppDataFolder();
    if (localAppData.empty()) {
        return paths;
    }
    const std::string root = GetDataPath(localAppData, kStorageFolderName);
    CreateFolder(root);
    paths.local = LocalFolderFor(root, DataFolderIdentity(paths.folder));
    if (defaultFolder) {
        CDiskFileSystem files;
        AdoptRootLocalFiles(files, root, paths.local);
    }
    return paths;
}

class CQuilletApp {
public:
    void Run() {
        // Without a full path the files would land in whatever folder is current.
        const std::string programFolder = ProgramFolder();
        const bool portable =
            !programFolder.empty() && FileStampOf(programFolder + kPortableMarkerName).exists;
        const std::string folder =
            ChooseDataFolder(programFolder, portable, portable ? std::string() : AppDataFolder());
        if (folder.empty()) {
            MessageBoxUtf8(nullptr,
                           portable
                               ? "Quillet cannot tell the full path of its own folder, so it "
                                 "has nowhere to keep the notes. Nothing was saved."
                               : "Quillet cannot find the application-data folder of this "
                                 "user, so it has nowhere to keep the notes. Nothing was saved.",
                           "Quillet", MB_OK | MB_ICONERROR);
            return;
        }
        CSingleCopy single(folder);
        if (!single.TakeOver()) {
            return;
        }
        // A copy in another session, or of another user, may work on the same data folder.
        SDataPaths paths = SDataPaths::InFolder(folder);
        CreateFolder(paths.folder);
        CFolderLock lock;
        CSystemClock clock;
        if (AcquireFolderLock(lock, paths.lock, clock) == CFolderLock::EResult::HeldElsewhere) {
            const std::string text =
                "Quillet is already running with this data folder, in another session or for "
                "another user:\r\n" +
                paths.folder +
                "\r\n\r\nOnly one copy at a time can keep the notes there. Close the other "
                "copy first.";
            MessageBoxUtf8(nullptr, text, "Quillet", MB_OK | MB_ICONINFORMATION);
            return;
        }
        paths.portable = portable;
        paths = WithLocalFolder(std::move(paths), !portable);
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;
        ::InitCommonControlsEx(&controls);
        CParent parent(paths);
        parent.DoModal();
    }
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // DLLs loaded later (by the shell, the common dialogs) come from the system folder only, never
    // from the folder the exe was started in. Looked up, as a Windows 7 without its update lacks
    // it.
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto setDirectories = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDirectories != nullptr) {
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    CQuilletApp app;
    app.Run();
    return 0;
}
