// The command dispatcher, the popup menu's state, and the settings turned into the window's look.
#include "app/quillet_dlg_win.h"

#include "render/clock_format.h"
#include "win/fonts_win.h"
#include "render/themes.h"
#include "render/window_region_win.h"
#include "ui/about_dlg_win.h"
#include "ui/commands.h"
#include "ui/links.h"
#include "ui/time_dlg_win.h"
#include "win/convert_win.h"

#include <cstdlib>

bool CQuilletDlg::OnCmdMsg(UINT id, UINT notifyCode, HWND control) {
    switch (RouteCommand(id, notifyCode, false)) {
    case ECommandRoute::Platform:
        if (id == IDC_NOTES && notifyCode == EN_CHANGE) {
            // A few seconds after typing stops, what was typed is saved.
            m_saves.OnTyped();
            return CDialog::OnCmdMsg(id, notifyCode, control);
        }
        if (id == IDC_SEARCH && notifyCode == EN_CHANGE) {
            // Keys still waiting make the search wait for them (a burst costs one search); the
            // release of the key just typed does not.
            m_noteArea.Rooms().OnChangeSearch();
            MSG next;
            if (!::PeekMessageA(&next, nullptr, WM_KEYDOWN, WM_CHAR, PM_NOREMOVE | PM_NOYIELD) ||
                next.message == WM_KEYUP) {
                m_noteArea.Rooms().RunDueSearch();
            }
            return true;
        }
        return CDialog::OnCmdMsg(id, notifyCode, control);
    case ECommandRoute::ColorTheme:
        ChooseColorTheme(static_cast<int>(id - ID_COLOR_FIRST));
        return true;
    case ECommandRoute::RandomColor:
        ChooseRandomColor();
        return true;
    case ECommandRoute::Shape:
        ApplyWindowShape(static_cast<int>(id - ID_SHAPE_FIRST));
        m_menu.MarkRadio(EMenu::Style, m_settings.nShape);
        RedrawNow();
        return true;
    case ECommandRoute::ClockFormat:
        m_settings.nTimeFormat = static_cast<int>(id - ID_TIME_FIRST);
        m_menu.MarkRadio(EMenu::Time, m_settings.nTimeFormat);
        RedrawNow();
        return true;
    case ECommandRoute::Gradient:
        m_settings.nGradient = static_cast<int>(id - ID_GRADIENT_FIRST);
        m_menu.MarkRadio(EMenu::Title, m_settings.nGradient);
        RedrawNow();
        return true;
    case ECommandRoute::LockMoving:
        m_settings.bLockMoving = !m_settings.bLockMoving;
        ApplyLockMoving();
        return true;
    case ECommandRoute::AlwaysTop:
        m_settings.bAlwaysTop = !m_settings.bAlwaysTop;
        ApplyAlwaysTop();
        return true;
    case ECommandRoute::MondayFirst:
        m_settings.bMondayFirst = !m_settings.bMondayFirst;
        ApplyMondayFirst();
        return true;
    case ECommandRoute::WeekNumbers:
        m_settings.bWeekNumbers = !m_settings.bWeekNumbers;
        ApplyWeekNumbers();
        return true;
    case ECommandRoute::HelpPage:
        OpenHelp();
        return true;
    case ECommandRoute::HomePage:
        ShellOpen(kHomePageUrl);
        return true;
    case ECommandRoute::ContactPage:
        ShellOpen(kContactPageUrl);
        return true;
    case ECommandRoute::Exit:
        CloseAfterExitSave();
        return true;
    case ECommandRoute::FullCompact:
        ToggleFullView();
        return true;
    case ECommandRoute::SaveAll:
        m_saves.SaveEverything();
        return true;
    case ECommandRoute::CustomClockFormat:
        return ChooseCustomClockFormat();
    case ECommandRoute::Font:
        ChooseFont(id);
        return true;
    case ECommandRoute::SaveData:
        OnSaveData();
        return true;
    case ECommandRoute::LoadData:
        OnLoadData();
        return true;
    case ECommandRoute::About:
        RunAboutBox();
        return true;
    case ECommandRoute::Absorb:
        // Every command without a case is absorbed: Enter, Escape and close requests never end
        // the window.
        return true;
    }
    return true;
}

void CQuilletDlg::BuildPopupMenu() {
    const QTime now = CurrentTime();
    m_menu.Build(
        [&](const SMenuEntry& entry) -> std::string {
            switch (entry.kind) {
            case SMenuEntry::EKind::Theme:
                return ThemeFor(static_cast<int>(entry.id - ID_COLOR_FIRST)).name;
            case SMenuEntry::EKind::TimeFormat:
                return FormatHeaderText(static_cast<int>(entry.id - ID_TIME_FIRST), true,
                                        m_settings.strCustomFormat, now);
            default:
                return m_settings.nFullView != 0 ? "Compact" : "Full";
            }
        },
        [this](EMenu menu) { return RadioIndex(menu); });
}

int CQuilletDlg::RadioIndex(EMenu menu) const {
    switch (menu) {
    case EMenu::Color:
        return m_settings.nColor;
    case EMenu::Style:
        return m_settings.nShape;
    case EMenu::Time:
        return m_settings.nTimeFormat;
    case EMenu::Title:
        return m_settings.nGradient;
    default:
        return -1;
    }
}

void CQuilletDlg::RefreshTimeMenu() {
    const QTime now = CurrentTime();
    for (int i = 0; i < kClockFormatCount; ++i) {
        m_menu.SetText(EMenu::Time, ID_TIME_FIRST + i,
                       FormatHeaderText(i, true, m_settings.strCustomFormat, now));
    }
    m_menu.MarkRadio(EMenu::Time, m_settings.nTimeFormat);
}

void CQuilletDlg::ApplySettings() {
    const SWindowPlace place = WindowPlace();
    const SRect& window = place.window;
    m_settings.ptPos =
        PlaceWindow(m_settings.ptPos, window, place.desktop, place.workAreas, place.titleHeight);
    ::MoveWindow(m_hWnd, m_settings.ptPos.x, m_settings.ptPos.y, window.Width(), window.Height(),
                 TRUE);
    ApplyColorTheme(m_settings.nColor);
    m_menu.MarkRadio(EMenu::Color, m_settings.nColor);
    ApplyWindowShape(m_settings.nShape);
    m_menu.MarkRadio(EMenu::Style, m_settings.nShape);
    m_menu.MarkRadio(EMenu::Time, m_settings.nTimeFormat);
    m_menu.MarkRadio(EMenu::Title, m_settings.nGradient);
    ApplyLockMoving();
    ApplyAlwaysTop();
    ApplyMondayFirst();
    ApplyWeekNumbers();
    ApplyFonts();
    m_noteArea.Rooms().RestoreRoom(m_settings.nRoom);
    RedrawNow();
}

void CQuilletDlg::ApplyColorTheme(int color) {
    m_settings.nColor = color;
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    m_bHighContrast = ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    const STheme theme = m_bHighContrast ? HighContrastTheme(::GetSysColor(COLOR_WINDOW),
                                                             ::GetSysColor(COLOR_WINDOWTEXT),
                                                             ::GetSysColor(COLOR_HIGHLIGHT))
                                         : ThemeFor(color);
    m_painter.SetTheme(theme);
    m_calendar.SetColors(theme.crBack, theme.crFrame, theme.crText);
}

void CQuilletDlg::ApplyWindowShape(int shape) {
    m_settings.nShape = shape;
    m_layout.rcClient = GetClientRect();
    ApplyWindowRegion(m_hWnd,
                      RegionFor(shape, m_settings.nFullView, m_layout.rcClient.Width(),
                                m_layout.rcClient.Height(), m_settings.nRadius, m_layout.dpi),
                      ScaleToDpi(m_settings.nRadius, m_layout.dpi));
}

void CQuilletDlg::ApplyFonts() {
    m_painter.SetTitleFont(m_settings.lfTitle, m_layout.dpi);
    m_noteArea.SetFont(m_settings.lfNotes, m_layout.dpi);
    SetCalendarFont();
}

void CQuilletDlg::SetCalendarFont() {
    m_calendar.SetFont(m_settings.lfCalendar, m_layout.dpi);
    FitCalendar();
}

void CQuilletDlg::ApplyLockMoving() {
    m_menu.Check(EMenu::Flags, ID_LOCK_MOVING, m_settings.bLockMoving);
}

void CQuilletDlg::ApplyAlwaysTop() {
    m_menu.Check(EMenu::Flags, ID_ALWAYS_TOP, m_settings.bAlwaysTop);
    // A window already in its band stays where it is: under Wine every change of the stacking
    // order costs a round trip to the X server, a start included.
    const bool topmost = (::GetWindowLongA(m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (topmost != m_settings.bAlwaysTop) {
        ::SetWindowPos(m_hWnd, m_settings.bAlwaysTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE);
    }
}

void CQuilletDlg::ApplyMondayFirst() {
    m_menu.Check(EMenu::Flags, ID_MONDAY_FIRST, m_settings.bMondayFirst);
    m_calendar.SetMondayFirst(m_settings.bMondayFirst);
    FitCalendar();
}

void CQuilletDlg::ApplyWeekNumbers() {
    m_menu.Check(EMenu::Flags, ID_WEEK_NUMBERS, m_settings.bWeekNumbers);
    m_calendar.SetWeekNumbers(m_settings.bWeekNumbers);
    FitCalendar();
}

void CQuilletDlg::ToggleFullView() {
    const bool toCompact = m_settings.nFullView == 1;
    m_settings.nFullView = toCompact ? 0 : 1;
    m_menu.SetText(EMenu::Main, ID_FULL_COMPACT, toCompact ? "Full" : "Compact");
    ApplyWindowShape(m_settings.nShape);
    const HWND focus = ::GetFocus();
    if (toCompact && focus != nullptr && ::IsChild(m_hWnd, focus)) {
        ::SetFocus(m_hWnd);
    } else if (!toCompact && ::GetActiveWindow() == m_hWnd) {
        ::SetFocus(::GetDlgItem(m_hWnd, IDC_NOTES));
    }
}

void CQuilletDlg::RunAboutBox() {
    CAboutDlg about;
    about.DoModal();
}

bool CQuilletDlg::ChooseCustomClockFormat() {
    CTimeDlg dialog(m_settings.strCustomFormat);
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    m_settings.strCustomFormat = dialog.Pattern();
    m_settings.nTimeFormat = kCustomClockFormat;
    m_menu.MarkRadio(EMenu::Time, m_settings.nTimeFormat);
    RedrawNow();
    return true;
}

void CQuilletDlg::ChooseFont(unsigned id) {
    if (id == ID_FONT_TITLE) {
        if (ChooseStoredFont(m_hWnd, m_settings.lfTitle)) {
            m_painter.SetTitleFont(m_settings.lfTitle, m_layout.dpi);
            RedrawNow();
        }
    } else if (id == ID_FONT_NOTES) {
        if (ChooseStoredFont(m_hWnd, m_settings.lfNotes)) {
            m_noteArea.SetFont(m_settings.lfNotes, m_layout.dpi);
        }
    } else if (ChooseStoredFont(m_hWnd, m_settings.lfCalendar)) {
        CleanCalendarFont(m_settings.lfCalendar);
        SetCalendarFont();
    }
}

void CQuilletDlg::ChooseColorTheme(int color) {
    ApplyColorTheme(color);
    m_menu.MarkRadio(EMenu::Color, m_settings.nColor);
    RedrawNow();
}

void CQuilletDlg::ChooseRandomColor() {
    // Seeded at every use, as the command always was; the loop guarantees a visible change.
    std::srand(static_cast<unsigned>(CurrentTime()));
    int color;
    do {
        color = std::rand() % kThemeCount;
    } while (color == m_settings.nColor);
    ChooseColorTheme(color);
}
