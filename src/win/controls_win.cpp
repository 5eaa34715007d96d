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
    m_hWnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    return m_hWnd != nullptr;
}

void CToolTipCtrl::AddTool(HWND owner, const char* text, const SRect& rect, UINT_PTR id) const {
    TOOLINFOA info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = id;
    info.rect = ToRECT(rect);
    info.hinst = ::GetModuleHandleA(nullptr);
    info.lpszText = const_cast<char*>(text);
    SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::SetToolRect(HWND owner, const SRect& rect, UINT_PTR id) const {
    if (m_hWnd == nullptr) {
        return;
    }
    TOOLINFOA info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = id;
    info.rect = ToRECT(rect);
    SendMessage(TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
}

namespace {

TOOLINFOA WindowTool(HWND window, const std::string& text) {
    TOOLINFOA info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(window);
    info.uId = reinterpret_cast<UINT_PTR>(window);
    info.hinst = ::GetModuleHandleA(nullptr);
    info.lpszText = const_cast<char*>(text.c_str());
    return info;
}

} // namespace

void CToolTipCtrl::AddWindowTool(HWND window, const std::string& text) const {
    TOOLINFOA info = WindowTool(window, text);
    SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateWindowTipText(HWND window, const std::string& text) const {
    TOOLINFOA info = WindowTool(window, text);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::RelayEvent(MSG* msg) const {
    if (m_hWnd != nullptr) {
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    }
}
