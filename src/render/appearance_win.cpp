// Turns the settings record into the window's look: theme, shape, flags, fonts, place.
#include "app/quillet_dlg_win.h"

#include "render/fonts_win.h"
#include "render/themes.h"
#include "ui/commands.h"
#include "win/convert_win.h"

#include <cstdlib>

void CQuilletDlg::ApplySettings() {
    const SRect window = GetWindowRect();
    const SRect desktop = DesktopRect();
    if (!IsPointOnDesktop(m_settings.ptPos, desktop)) {
        m_settings.ptPos = CentreOnDesktop(window, desktop);
    }
    ::MoveWindow(m_hWnd, m_settings.ptPos.x, m_settings.ptPos.y, window.Width(), window.Height(),
                 TRUE);
    ApplyColorTheme(m_settings.nColor);
    MarkRadioGroup(EMenu::Color);
    ApplyWindowShape(m_settings.nShape);
    MarkRadioGroup(EMenu::Style);
    MarkRadioGroup(EMenu::Time);
    MarkRadioGroup(EMenu::Title);
    CheckFlag(ID_LOCK_MOVING, m_settings.bLockMoving);
    // Each flag command inverts its flag and applies it, so invert first to keep the stored one.
    m_settings.bAlwaysTop = !m_settings.bAlwaysTop;
    ToggleAlwaysTop();
    m_settings.bMondayFirst = !m_settings.bMondayFirst;
    ToggleMondayFirst();
    m_settings.bWeekNumbers = !m_settings.bWeekNumbers;
    ToggleWeekNumbers();
    ApplyFonts();
    RestoreRoom(m_settings.nRoom);
    RedrawNow();
}

void CQuilletDlg::ApplyColorTheme(int color) {
    m_settings.nColor = color;
    const STheme& theme = ThemeFor(color);
    m_crBack = theme.crBack;
    m_crFrame = theme.crFrame;
    m_crText = theme.crText;
    m_calendar.SetColor(MCSC_BACKGROUND, m_crBack);
    m_calendar.SetColor(MCSC_MONTHBK, m_crBack);
    m_calendar.SetColor(MCSC_TEXT, m_crText);
    m_calendar.SetColor(MCSC_TITLEBK, m_crFrame);
    m_calendar.SetColor(MCSC_TITLETEXT, m_crBack);
    m_calendar.SetColor(MCSC_TRAILINGTEXT, m_crBack);
}

void CQuilletDlg::ApplyWindowShape(int shape) {
    m_settings.nShape = shape;
    m_rcClient = GetClientRect();
    const SWindowRegion region = RegionFor(shape, m_settings.nFullView, m_rcClient.Width(),
                                           m_rcClient.Height(), m_settings.nRadius);
    const SRect& r = region.rect;
    CRegionHandle handle(region.rounded
                             ? ::CreateRoundRectRgn(r.left, r.top, r.right, r.bottom,
                                                    m_settings.nRadius, m_settings.nRadius)
                             : ::CreateRectRgn(r.left, r.top, r.right, r.bottom));
    // The window owns the region from here on.
    if (::SetWindowRgn(m_hWnd, handle.Get(), TRUE) != 0) {
        handle.Release();
    }
}

void CQuilletDlg::ApplyFonts() {
    m_fontTitle = CreateStoredFont(m_settings.lfTitle);
    m_fontNotes = CreateStoredFont(m_settings.lfNotes);
    m_editNotes.SetFont(m_fontNotes.Get(), true);
    m_editSearch.SetFont(m_fontNotes.Get(), true);
    m_fontCalendar = CreateStoredFont(m_settings.lfCalendar);
    m_calendar.SetFont(m_fontCalendar.Get(), true);
}

void CQuilletDlg::ToggleLockMoving() {
    m_settings.bLockMoving = !m_settings.bLockMoving;
}

void CQuilletDlg::ToggleAlwaysTop() {
    m_settings.bAlwaysTop = !m_settings.bAlwaysTop;
    ::SetWindowPos(m_hWnd, m_settings.bAlwaysTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE);
}

void CQuilletDlg::ToggleMondayFirst() {
    m_settings.bMondayFirst = !m_settings.bMondayFirst;
    CheckFlag(ID_MONDAY_FIRST, m_settings.bMondayFirst);
    m_calendar.SetFirstDayOfWeek(m_settings.bMondayFirst ? 0 : 6);
}

void CQuilletDlg::ToggleWeekNumbers() {
    m_settings.bWeekNumbers = !m_settings.bWeekNumbers;
    const HWND calendar = m_calendar.GetSafeHwnd();
    LONG_PTR style = ::GetWindowLongPtrA(calendar, GWL_STYLE);
    style = m_settings.bWeekNumbers ? (style | MCS_WEEKNUMBERS) : (style & ~MCS_WEEKNUMBERS);
    ::SetWindowLongPtrA(calendar, GWL_STYLE, style);
    CheckFlag(ID_WEEK_NUMBERS, m_settings.bWeekNumbers);
}

void CQuilletDlg::ToggleFullView() {
    const bool toCompact = m_settings.nFullView == 1;
    m_settings.nFullView = toCompact ? 0 : 1;
    ::ModifyMenuA(m_menuMain.Get(), ID_FULL_COMPACT, MF_BYCOMMAND | MF_STRING, ID_FULL_COMPACT,
                  toCompact ? "Full" : "Compact");
    ApplyWindowShape(m_settings.nShape);
}

void CQuilletDlg::ChooseColorTheme(int color) {
    ApplyColorTheme(color);
    MarkRadioGroup(EMenu::Color);
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
