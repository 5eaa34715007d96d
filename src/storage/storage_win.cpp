// Where the main window keeps its files, and its load and save sequences.
#include "app/quillet_dlg_win.h"

#include <shlobj.h>

std::string CQuilletDlg::GetDataPath(const char* relativeName) const {
    char folder[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::string(folder) + "\\" + relativeName;
}

SDataPaths CQuilletDlg::DataPaths() const {
    const std::string folder = GetDataPath("");
    return SDataPaths::In(folder.substr(0, folder.size() - 1));
}

SWindowPlace CQuilletDlg::WindowPlace() const {
    return SWindowPlace{GetWindowRect(), DesktopRect()};
}

void CQuilletDlg::LoadAtStartup() {
    const SDataPaths paths = DataPaths();
    RemoveLeftoverTempFiles(paths);
    m_bFirstRun = ::LoadAtStartup(SStoredData{m_settings, m_arrDays, m_strEveryDay}, paths,
                                  WindowPlace(), CurrentTime()) ||
                  m_bFirstRun;
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
