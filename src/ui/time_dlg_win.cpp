// The clock pattern dialog: it starts with the pattern in use and refuses one that shows nothing.
#include "ui/time_dlg_win.h"

#include "base/ids.h"
#include "base/time_format.h"

CTimeDlg::CTimeDlg(std::string pattern, HWND owner)
    : CDialog(IDD_TIME_FORMAT, owner), m_pattern(std::move(pattern)) {}

BOOL CTimeDlg::OnInitDialog() {
    ::SetDlgItemTextW(m_hWnd, IDC_TIME_PATTERN, WideOf(m_pattern).c_str());
    return TRUE;
}

void CTimeDlg::OnOK() {
    CWnd edit;
    edit.Attach(::GetDlgItem(m_hWnd, IDC_TIME_PATTERN));
    const std::string pattern = edit.GetWindowText();
    // A pattern that shows nothing would blank the clock: the dialog stays for another.
    if (FormatTime(CurrentTime(), pattern).empty()) {
        MessageBoxUtf8(m_hWnd,
                       "This pattern shows nothing. Type strftime codes such as %H:%M or %d %B.",
                       "Time format...", MB_OK | MB_ICONWARNING);
        ::SetFocus(edit.GetSafeHwnd());
        edit.SendMessage(EM_SETSEL, 0, -1);
        return;
    }
    m_pattern = pattern;
    EndDialog(IDOK);
}
