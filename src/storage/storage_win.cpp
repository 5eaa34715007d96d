// Where the main window keeps its files, and its load and save sequences.
#include "app/quillet_dlg_win.h"

#include <shlobj.h>

namespace {

std::string AppDataFolder() {
    char folder[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

} // namespace

SDataPaths CQuilletDlg::DataPaths() const {
    return SDataPaths::In(AppDataFolder());
}

SWindowPlace CQuilletDlg::WindowPlace() const {
    return SWindowPlace{GetWindowRect(), DesktopRect()};
}

void CQuilletDlg::LoadAtStartup() {
    const SDataPaths paths = DataPaths();
    RemoveLeftoverTempFiles(paths);
    m_bFirstRun = ::LoadAtStartup(SStoredData{m_settings, m_arrDays, m_strEveryDay}, paths,
                                  WindowPlace(), CurrentTime());
}

bool CQuilletDlg::SaveAll() {
    CommitNoteArea(m_settings.nRoom);
    return SaveAllFiles(SStoredData{m_settings, m_arrDays, m_strEveryDay}, DataPaths(),
                        WindowPlace());
}

bool CQuilletDlg::SaveOnExit() {
    CommitNoteArea(m_settings.nRoom);
    return SaveMainFiles(SStoredData{m_settings, m_arrDays, m_strEveryDay}, DataPaths(),
                         WindowPlace());
}
