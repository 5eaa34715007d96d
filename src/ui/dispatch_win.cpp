// The one command dispatcher: every menu command and every command the window sends itself.
#include "app/quillet_dlg_win.h"

#include "app/resource.h"
#include "ui/commands.h"
#include "ui/links.h"

bool CQuilletDlg::OnCmdMsg(UINT id, UINT notifyCode, HWND control) {
    switch (RouteCommand(id, notifyCode, false)) {
    case ECommandRoute::Platform:
        if (id == IDC_SEARCH && notifyCode == EN_CHANGE) {
            OnChangeSearch();
            return true;
        }
        return CDialog::OnCmdMsg(id, notifyCode, control);
    case ECommandRoute::ColorTheme:
        ChooseColorTheme(static_cast<int>(id) - ID_COLOR_FIRST);
        return true;
    case ECommandRoute::RandomColor:
        ChooseRandomColor();
        return true;
    case ECommandRoute::Shape:
        ApplyWindowShape(static_cast<int>(id) - ID_SHAPE_FIRST);
        MarkRadioGroup(EMenu::Style);
        RedrawNow();
        return true;
    case ECommandRoute::ClockFormat:
        m_settings.nTimeFormat = static_cast<int>(id) - ID_TIME_FIRST;
        MarkRadioGroup(EMenu::Time);
        RedrawNow();
        return true;
    case ECommandRoute::Gradient:
        m_settings.nGradient = static_cast<int>(id) - ID_GRADIENT_FIRST;
        MarkRadioGroup(EMenu::Title);
        RedrawNow();
        return true;
    case ECommandRoute::LockMoving:
        ToggleLockMoving();
        return true;
    case ECommandRoute::AlwaysTop:
        ToggleAlwaysTop();
        return true;
    case ECommandRoute::MondayFirst:
        ToggleMondayFirst();
        return true;
    case ECommandRoute::WeekNumbers:
        ToggleWeekNumbers();
        return true;
    case ECommandRoute::HelpPage:
        OpenWebPage(kHelpPageUrl);
        return true;
    case ECommandRoute::HomePage:
        OpenWebPage(kHomePageUrl);
        return true;
    case ECommandRoute::ContactPage:
        OpenWebPage(kContactPageUrl);
        return true;
    case ECommandRoute::Exit:
        SaveAndClose(true);
        return true;
    case ECommandRoute::FullCompact:
        ToggleFullView();
        return true;
    case ECommandRoute::SaveAll:
        SaveAll();
        return true;
    default:
        // Commands whose dialogs join later, and every command without a case, are absorbed:
        // Enter, Escape and close requests never end the window.
        return true;
    }
}
