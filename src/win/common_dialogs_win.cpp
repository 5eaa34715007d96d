#include "win/common_dialogs_win.h"

#include <commdlg.h>

#include <vector>

bool AskFileName(bool save, HWND owner, const std::string& filter, const std::string& suggested,
                 const char* defaultExtension, DWORD flags, std::string& path) {
    std::string filters = filter;
    for (char& c : filters) {
        if (c == '|') {
            c = '\0';
        }
    }
    std::vector<char> name(32768, '\0');
    suggested.copy(name.data(), name.size() - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrDefExt = defaultExtension;
    ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
    const BOOL chosen = save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn);
    if (!chosen) {
        return false;
    }
    path = name.data();
    return true;
}

bool ChooseFontFor(HWND owner, LOGFONTA& font, DWORD flags) {
    LOGFONTA shown = font;
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &shown;
    cf.Flags = flags | CF_INITTOLOGFONTSTRUCT;
    if (!::ChooseFontA(&cf)) {
        return false;
    }
    font = shown;
    return true;
}
