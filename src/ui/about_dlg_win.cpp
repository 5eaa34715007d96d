// The About box's links: the home page as the dialog names it, and support by mail.
#include "ui/about_dlg_win.h"

#include "base/ids.h"
#include "ui/links.h"

CAboutDlg::CAboutDlg(HWND owner) : CDialog(IDD_ABOUTBOX, owner) {}

BOOL CAboutDlg::OnInitDialog() {
    m_linkHome.SubclassDlgItem(IDC_LINK_HOME, m_hWnd);
    m_linkSupport.SubclassDlgItem(IDC_LINK_SUPPORT, m_hWnd);
    m_linkSupport.SetURL(std::string("mailto:") + kSupportEmail);
    m_linkSupport.SetTipText("Send email to support");
    m_linkSupport.SetLinkColors();
    return TRUE;
}
