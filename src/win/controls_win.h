// Thin wrappers of the controls the program uses: edit box, month calendar and tooltip.
#pragma once

#include "win/window_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

class CEdit : public CWnd {
public:
    void SetSel(int start, int end) const { SendMessage(EM_SETSEL, start, end); }
    void ScrollCaret() const { SendMessage(EM_SCROLLCARET); }
};

class CMonthCalCtrl : public CWnd {
public:
    // False when the control reports no selection.
    bool GetCurSel(SYSTEMTIME& date) const;
    // Number of months in the display range, partly shown ones included.
    int GetMonthRangeWithDayStates() const;
    void SetDayState(std::vector<MONTHDAYSTATE>& states) const;
    void SetColor(int which, COLORREF color) const { SendMessage(MCM_SETCOLOR, which, color); }
    void SetFirstDayOfWeek(int day) const { SendMessage(MCM_SETFIRSTDAYOFWEEK, 0, day); }
    // Limits the selectable days to 1 January of the first year to 31 December of the last.
    void SetYearRange(int firstYear, int lastYear) const;
};

class CToolTipCtrl : public CWnd {
public:
    ~CToolTipCtrl() override;
    bool Create(HWND parent, DWORD style);
    void AddTool(HWND owner, const char* text, const SRect& rect, UINT_PTR id) const;
    void SetToolRect(HWND owner, const SRect& rect, UINT_PTR id) const;
    // A tool covering the whole of a window.
    void AddWindowTool(HWND window, const std::string& text) const;
    void UpdateWindowTipText(HWND window, const std::string& text) const;
    void RelayEvent(MSG* msg) const;
    // Off: a shown tip goes at once and none shows until it is on again. Before the control is
    // made this, moving a rect and relaying do nothing: it is made where the layout then is.
    void Activate(bool on) const {
        if (m_hWnd == nullptr) {
            return;
        }
        if (!on) {
            SendMessage(TTM_POP);
        }
        SendMessage(TTM_ACTIVATE, on ? TRUE : FALSE);
    }
};
