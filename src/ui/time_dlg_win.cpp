#include "ui/time_dlg_win.h"

#include "base/ids.h"

CTimeDlg::CTimeDlg(std::string pattern, HWND owner)
    : CDialog(IDD_TIME_FORMAT, owner), m_strPattern(std::move(pattern)) {}

BOOL CTimeDlg::OnInitDialog() {
    ::SetDlgItemTextA(m_hWnd, IDC_TIME_PATTERN, m_strPattern.c_str());
    return TRUE;
}

void CTimeDlg::OnOK() {
    CWnd edit;
    edit.Attach(::GetDlgItem(m_hWnd, IDC_TIME_PATTERN));
    m_strPattern = edit.GetWindowText();
    EndDialog(IDOK);
}
