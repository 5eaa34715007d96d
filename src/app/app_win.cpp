// The process: common controls, the hidden owner window, and the main window run inside it.
#include "app/quillet_dlg_win.h"
#include "base/ids.h"
#include "storage/app_data_win.h"
#include "storage/busy_wait.h"
#include "storage/file_io.h"

#include <commctrl.h>

#include <sddl.h>

#include <string>
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

// One copy per user: two copies would each write their own notes over the other's.
class CSingleInstance {
public:
    CSingleInstance() {
        // Wide, so that users whose names the code page cannot hold do not share one name.
        wchar_t user[257] = {};
        DWORD size = 257;
        ::GetUserNameW(user, &size);
        const std::wstring name = std::wstring(L"Local\\Quillet.SingleInstance.") + user;
        m_mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
        // A copy that runs elevated owns a mutex this one may not open.
        const DWORD error = ::GetLastError();
        m_first = m_mutex != nullptr ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
    }
    ~CSingleInstance() {
        if (m_mutex != nullptr) {
            ::CloseHandle(m_mutex);
        }
    }
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    bool IsFirst() const { return m_first; }

    // Brings the running copy's window forward; it may still be starting.
    static void ActivateRunningCopy() {
        HWND main = nullptr;
        for (int tries = 0; tries < 50 && main == nullptr; ++tries) {
            ::EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&main));
            if (main == nullptr) {
                ::Sleep(100);
            }
        }
        if (main != nullptr) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(main, &pid);
            ::AllowSetForegroundWindow(pid);
            ::PostMessageA(main, CQuilletDlg::ActivateMessage(), 0, 0);
        }
    }

private:
    static BOOL CALLBACK FindMain(HWND window, LPARAM found) {
        if (::GetPropA(window, CQuilletDlg::kMainWindowProperty) != nullptr &&
            IsThisProgramOfThisUser(window)) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }

    // Any window may carry the property: only a copy of this program run by this user is woken.
    static bool IsThisProgramOfThisUser(HWND window) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        if (process == nullptr) {
            return false;
        }
        std::wstring theirs(32768, L'\0');
        DWORD size = static_cast<DWORD>(theirs.size());
        const bool named = ::QueryFullProcessImageNameW(process, 0, theirs.data(), &size) != FALSE;
        theirs.resize(named ? size : 0);
        const bool sameUser = named && UserOf(process) == UserOf(::GetCurrentProcess());
        ::CloseHandle(process);
        std::wstring ours(32768, L'\0');
        ours.resize(::GetModuleFileNameW(nullptr, ours.data(), static_cast<DWORD>(ours.size())));
        const auto nameOf = [](const std::wstring& path) {
            return path.substr(path.find_last_of(L"\\/") + 1);
        };
        return sameUser && !ours.empty() &&
               ::lstrcmpiW(nameOf(theirs).c_str(), nameOf(ours).c_str()) == 0;
    }

    // The text form of the user a process runs as; empty when it cannot be read.
    static std::string UserOf(HANDLE process) {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) {
            return std::string();
        }
        std::string user;
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<BYTE> info(size);
        LPSTR text = nullptr;
        if (size != 0 && ::GetTokenInformation(token, TokenUser, info.data(), size, &size) &&
            ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid, &text)) {
            user = text;
            ::LocalFree(text);
        }
        ::CloseHandle(token);
        return user;
    }

    HANDLE m_mutex = nullptr;
    bool m_first = true;
};

class CQuilletApp {
public:
    bool InitInstance() {
        const CSingleInstance instance;
        if (!instance.IsFirst()) {
            CSingleInstance::ActivateRunningCopy();
            return false;
        }
        // Without a full path the files would land in whatever folder is current.
        const std::string programFolder = ProgramFolder();
        const bool portable =
            !programFolder.empty() && FileStampOf(programFolder + kPortableMarkerName).exists;
        const std::string folder =
            ChooseDataFolder(programFolder, portable, portable ? std::string() : AppDataFolder());
        if (folder.empty()) {
            ::MessageBoxA(nullptr,
                          portable
                              ? "Quillet cannot tell the full path of its own folder, so it "
                                "has nowhere to keep the notes. Nothing was saved."
                              : "Quillet cannot find the application-data folder of this "
                                "user, so it has nowhere to keep the notes. Nothing was saved.",
                          "Quillet", MB_OK | MB_ICONERROR);
            return false;
        }
        // A copy in another session, or of another user, may work on the same data folder.
        const SDataPaths paths = SDataPaths::InFolder(folder);
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
            return false;
        }
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;
        ::InitCommonControlsEx(&controls);
        CParent parent(paths);
        parent.DoModal();
        return false;
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
    app.InitInstance();
    return 0;
}
