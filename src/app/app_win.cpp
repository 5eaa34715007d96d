// The process: common controls, the hidden owner window, and the main window run inside it.
#include "app/quillet_dlg_win.h"
#include "base/ids.h"

#include <commctrl.h>

namespace {

// Never shown: as the owner of the main window it keeps the main window off the taskbar.
class CParent : public CDialog {
public:
    CParent() : CDialog(IDD_PARENT, nullptr) {}

protected:
    BOOL OnInitDialog() override {
        CDialog::s_appMainWnd = m_hWnd;
        {
            CQuilletDlg dialog;
            dialog.DoModal();
        }
        EndDialog(IDCANCEL);
        return TRUE;
    }
};

class CQuilletApp {
public:
    bool InitInstance() {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;
        ::InitCommonControlsEx(&controls);
        CParent parent;
        parent.DoModal();
        return false;
    }
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CQuilletApp app;
    app.InitInstance();
    return 0;
}
