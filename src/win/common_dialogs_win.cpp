// The open, save-as and font dialogs, their DLL loaded only when first needed.
#include "win/common_dialogs_win.h"

#include "base/utf8_win.h"
#include "win/system_dll_win.h"

#include <commdlg.h>

#include <vector>

namespace {

// Under Wine the common dialogs' DLL added 6 ms to every start.
struct SCommonDialogs {
    HMODULE dll = LoadSystemDll(L"comdlg32.dll");
    decltype(&::GetOpenFileNameW) open = SystemFunction<decltype(open)>(dll, "GetOpenFileNameW");
    decltype(&::GetSaveFileNameW) save = SystemFunction<decltype(save)>(dll, "GetSaveFileNameW");
    decltype(&::ChooseFontW) font = SystemFunction<decltype(font)>(dll, "ChooseFontW");

    static const SCommonDialogs& Get() {
        static const SCommonDialogs dialogs;
        return dialogs;
    }
};

} // namespace

bool AskFileName(bool save, HWND owner, const std::string& filter, const std::string& suggested,
                 const char* defaultExtension, DWORD flags, const std::string& folder,
                 std::string& path, int* filterIndex) {
    std::wstring filters;
    std::wstring extension;
    if (!Utf8ToWide(filter, filters) ||
        (defaultExtension != nullptr && !Utf8ToWide(defaultExtension, extension))) {
        return false;
    }
    for (wchar_t& c : filters) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    std::vector<wchar_t> name(32768, L'\0');
    std::wstring shown;
    if (Utf8ToWide(suggested, shown)) {
        shown.copy(name.data(), name.size() - 1);
    }
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrDefExt = defaultExtension != nullptr ? extension.c_str() : nullptr;
    ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
    std::wstring start;
    if (!folder.empty() && Utf8ToWide(folder, start)) {
        ofn.lpstrInitialDir = start.c_str();
    }
    const auto ask = save ? SCommonDialogs::Get().save : SCommonDialogs::Get().open;
    if (ask == nullptr || !ask(&ofn)) {
        return false;
    }
    if (!WideToUtf8(name.data(), path)) {
        path.clear();
    }
    if (filterIndex != nullptr) {
        *filterIndex = static_cast<int>(ofn.nFilterIndex);
    }
    return true;
}

bool ChooseFontFor(HWND owner, LOGFONTW& font, DWORD flags) {
    LOGFONTW shown = font;
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &shown;
    cf.Flags = flags | CF_INITTOLOGFONTSTRUCT;
    const auto choose = SCommonDialogs::Get().font;
    if (choose == nullptr || !choose(&cf)) {
        return false;
    }
    font = shown;
    return true;
}
