// The month calendar and tooltip wrappers' calls: selection, day states, year range and tools.
#include "win/controls_win.h"

#include "win/convert_win.h"

bool CMonthCalCtrl::GetCurSel(SYSTEMTIME& date) const {
    date = SYSTEMTIME{};
    return SendMessage(MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&date)) != 0;
}

int CMonthCalCtrl::GetMonthRangeWithDayStates() const {
    SYSTEMTIME range[2]{};
    return static_cast<int>(
        SendMessage(MCM_GETMONTHRANGE, GMR_DAYSTATE, reinterpret_cast<LPARAM>(range)));
}

void CMonthCalCtrl::SetDayState(std::vector<MONTHDAYSTATE>& states) const {
    SendMessage(MCM_SETDAYSTATE, states.size(), reinterpret_cast<LPARAM>(states.data()));
}

void CMonthCalCtrl::SetYearRange(int firstYear, int lastYear) const {
    SYSTEMTIME range[2]{};
    range[0].wYear = static_cast<WORD>(firstYear);
    range[0].wMonth = 1;
    range[0].wDay = 1;
    range[1].wYear = static_cast<WORD>(lastYear);
    range[1].wMonth = 12;
    range[1].wDay = 31;
    SendMessage(MCM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
}

CToolTipCtrl::~CToolTipCtrl() {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
    }
}

bool CToolTipCtrl::Create(HWND parent, DWORD style) {
    m_hWnd = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    return m_hWnd != nullptr;
}

void CToolTipCtrl::AddTool(HWND owner, const char* text, const SRect& rect, UINT_PTR id) const {
    std::wstring wide = WideOf(text);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = id;
    info.rect = ToRECT(rect);
    info.hinst = ::GetModuleHandleW(nullptr);
    info.lpszText = &wide[0];
    SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::SetToolRect(HWND owner, const SRect& rect, UINT_PTR id) const {
    if (m_hWnd == nullptr) {
        return;
    }
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = id;
    info.rect = ToRECT(rect);
    SendMessage(TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
}

namespace {

// The text stays alive with the record for the message that takes it.
struct SWindowTool {
    std::wstring text;
    TOOLINFOW info{};
};

void FillWindowTool(SWindowTool& tool, HWND window, const std::string& text) {
    tool.text = WideOf(text);
    tool.info.cbSize = sizeof tool.info;
    tool.info.uFlags = TTF_IDISHWND;
    tool.info.hwnd = ::GetParent(window);
    tool.info.uId = reinterpret_cast<UINT_PTR>(window);
    tool.info.hinst = ::GetModuleHandleW(nullptr);
    tool.info.lpszText = &tool.text[0];
}

} // namespace

void CToolTipCtrl::AddWindowTool(HWND window, const std::string& text) const {
    SWindowTool tool;
    FillWindowTool(tool, window, text);
    SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool.info));
}

void CToolTipCtrl::UpdateWindowTipText(HWND window, const std::string& text) const {
    SWindowTool tool;
    FillWindowTool(tool, window, text);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool.info));
}

void CToolTipCtrl::RelayEvent(MSG* msg) const {
    if (m_hWnd != nullptr) {
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    }
}
