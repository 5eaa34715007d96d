// The About box: the program's name and version, with links to its home page and support.
#pragma once

#include "ui/simple_link_win.h"
#include "win/dialog_win.h"

// The program's name and version with links to the home page and the support address.
class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND owner = nullptr);

protected:
    BOOL OnInitDialog() override;

private:
    CSimpleLink m_linkHome;
    CSimpleLink m_linkSupport;
};
