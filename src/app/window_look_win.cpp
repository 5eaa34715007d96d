// The settings turned into the window's look, and the layout kept up with fonts, DPI and size.
#include "app/window_look_win.h"

#include "app/single_copy_win.h"
#include "base/ids.h"
#include "render/clock_format.h"
#include "render/themes.h"
#include "render/window_region_win.h"
#include "storage/file_system.h"
#include "storage/window_size.h"
#include "ui/painted_parts.h"
#include "win/convert_win.h"

namespace {

// The tools of the window's tooltip: the menu button and the room tabs.
constexpr UINT_PTR kMenuButtonTipId = 1;
constexpr UINT_PTR RoomTabTipId(int room) {
    return 2 + static_cast<UINT_PTR>(room);
}

} // namespace

void CWindowLook::LayOutTemplate() {
    const HWND wnd = m_w.Wnd();
    // The platform's own rescaling of dialogs would move the children a second time.
    using DialogDpiBehavior = BOOL(WINAPI*)(HWND, int, int);
    const auto dialogDpiBehavior = reinterpret_cast<DialogDpiBehavior>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("user32.dll"), "SetDialogDpiChangeBehavior")));
    if (dialogDpiBehavior != nullptr) {
        constexpr int kDisableAll = 1;
        dialogDpiBehavior(wnd, kDisableAll, kDisableAll);
    }
    m_w.layout =
        ComputeLayout(m_w.window.GetClientRect(), m_w.noteArea.NotesHomeRect(), WindowDpi(wnd));
    m_baseClient = m_w.layout.rcClient;
    m_baseNotesHome = m_w.layout.rcNotesHome;
    CDiskFileSystem files;
    m_chosenSize = ReadWindowSize(files, m_w.saves.Paths().local);
    m_w.noteArea.PlaceSearchBox();
    m_timeShown = CurrentTime();
}

void CWindowLook::CreateTips() {
    const HWND wnd = m_w.Wnd();
    m_toolTip.Create(wnd, 0);
    m_toolTip.AddTool(wnd, "Menu Button", m_w.layout.rcMenuButton, kMenuButtonTipId);
    for (int room = kRoomDynamic; room <= kRoomSearch; ++room) {
        m_toolTip.AddTool(wnd, RoomTabName(room), RoomTabRect(m_w.layout, room),
                          RoomTabTipId(room));
    }
    if (!::IsWindowEnabled(wnd)) {
        ShowTips(false); // a dialog of ours came first
    }
}

SPoint CWindowLook::StartPlace() const {
    const SWindowPlace place = WindowPlace();
    const SRect& window = place.window;
    const SPoint stored =
        PlaceWindow(m_w.settings.ptPos, window, place.desktop, place.workAreas, place.titleHeight);
    // Another copy's window where this one would stand: this one opens beside it.
    std::vector<SPoint> taken;
    for (const HWND other : CSingleCopy::OtherMainWindows(m_w.Wnd())) {
        RECT rect{};
        ::GetWindowRect(other, &rect);
        taken.push_back(SPoint{rect.left, rect.top});
    }
    if (taken.empty()) {
        return stored;
    }
    const SPoint beside = AwayFromCorners(stored, taken, place.titleHeight);
    return PlaceWindow(beside, window, place.desktop, place.workAreas, place.titleHeight);
}

void CWindowLook::ApplyAll() {
    const SSettings& settings = m_w.settings;
    const SRect window = m_w.window.GetWindowRect();
    ::MoveWindow(m_w.Wnd(), settings.ptPos.x, settings.ptPos.y, window.Width(), window.Height(),
                 TRUE);
    // The menu's radio marks came with the menu.
    ApplyColorTheme();
    ApplyWindowShape();
    ApplyLockMoving();
    ApplyAlwaysTop();
    ApplyMondayFirst();
    ApplyWeekNumbers();
    ApplyFonts();
    FitChosenSize();
}

void CWindowLook::Redraw() const {
    m_w.window.RedrawNow();
}

void CWindowLook::ApplyColorTheme() {
    const int color = m_w.settings.nColor;
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    m_highContrast = ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                     (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    const STheme theme = m_highContrast ? HighContrastTheme(::GetSysColor(COLOR_WINDOW),
                                                            ::GetSysColor(COLOR_WINDOWTEXT),
                                                            ::GetSysColor(COLOR_HIGHLIGHT))
                                        : ThemeFor(color);
    m_w.painter.SetTheme(theme);
    m_w.calendar.SetColors(theme.crBack, theme.crFrame, theme.crText);
}

void CWindowLook::ApplyWindowShape() {
    const SSettings& settings = m_w.settings;
    const int shape = settings.nShape;
    SLayout& layout = m_w.layout;
    layout.rcClient = m_w.window.GetClientRect();
    ApplyWindowRegion(m_w.Wnd(),
                      RegionFor(shape, settings.nFullView, layout.rcClient.Width(),
                                layout.rcClient.Height(), settings.nRadius, layout.dpi),
                      ScaleToDpi(settings.nRadius, layout.dpi));
}

void CWindowLook::ApplyFonts() {
    m_w.painter.SetTitleFont(m_w.settings.lfTitle, m_w.layout.dpi);
    m_w.noteArea.SetFont(m_w.settings.lfNotes, m_w.layout.dpi);
    SetCalendarFont();
}

void CWindowLook::ApplyFont(unsigned id) {
    if (id == ID_FONT_TITLE) {
        m_w.painter.SetTitleFont(m_w.settings.lfTitle, m_w.layout.dpi);
        m_w.window.RedrawNow();
    } else if (id == ID_FONT_NOTES) {
        m_w.noteArea.SetFont(m_w.settings.lfNotes, m_w.layout.dpi);
    } else {
        SetCalendarFont();
    }
}

void CWindowLook::SetCalendarFont() {
    m_w.calendar.SetFont(m_w.settings.lfCalendar, m_w.layout.dpi);
    FitCalendar();
}

void CWindowLook::ApplyLockMoving() {
    m_w.menu.Check(EMenu::Flags, ID_LOCK_MOVING, m_w.settings.bLockMoving);
}

void CWindowLook::ApplyAlwaysTop() {
    const bool alwaysTop = m_w.settings.bAlwaysTop;
    m_w.menu.Check(EMenu::Flags, ID_ALWAYS_TOP, alwaysTop);
    // A window already in its band stays where it is: under Wine every change of the stacking
    // order costs a round trip to the X server, a start included.
    const bool topmost = (::GetWindowLongA(m_w.Wnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (topmost != alwaysTop) {
        ::SetWindowPos(m_w.Wnd(), alwaysTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE);
    }
}

void CWindowLook::ApplyMondayFirst() {
    m_w.menu.Check(EMenu::Flags, ID_MONDAY_FIRST, m_w.settings.bMondayFirst);
    m_w.calendar.SetMondayFirst(m_w.settings.bMondayFirst);
    FitCalendar();
}

void CWindowLook::ApplyWeekNumbers() {
    m_w.menu.Check(EMenu::Flags, ID_WEEK_NUMBERS, m_w.settings.bWeekNumbers);
    m_w.calendar.SetWeekNumbers(m_w.settings.bWeekNumbers);
    FitCalendar();
}

void CWindowLook::ApplyFullView() {
    const HWND wnd = m_w.Wnd();
    const bool toCompact = m_w.settings.nFullView == 0;
    m_w.menu.SetText(EMenu::Main, ID_FULL_COMPACT, toCompact ? "Full" : "Compact");
    ApplyWindowShape();
    const HWND focus = ::GetFocus();
    if (toCompact && focus != nullptr && ::IsChild(wnd, focus)) {
        ::SetFocus(wnd);
    } else if (!toCompact && ::GetActiveWindow() == wnd) {
        ::SetFocus(::GetDlgItem(wnd, IDC_NOTES));
    }
}

void CWindowLook::FollowSystemColours() {
    ApplyColorTheme();
    ::RedrawWindow(m_w.Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CWindowLook::KeepOnAMonitor() {
    const SWindowPlace place = WindowPlace();
    const SPoint corner{place.window.left, place.window.top};
    const SPoint to =
        PlaceWindow(corner, place.window, place.desktop, place.workAreas, place.titleHeight);
    if (to != corner) {
        ::SetWindowPos(m_w.Wnd(), nullptr, to.x, to.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FitChosenSize(); // a smaller monitor may no longer hold it
}

void CWindowLook::ScaleTo(int dpi, const RECT& suggested) {
    const int old = m_w.layout.dpi;
    m_baseClient = RescaleRect(m_baseClient, old, dpi);
    m_baseNotesHome = RescaleRect(m_baseNotesHome, old, dpi);
    m_w.calendar.ScaleBase(old, dpi);
    m_calendarGrowth = SPoint{};
    m_resizing = true;
    ::SetWindowPos(m_w.Wnd(), nullptr, suggested.left, suggested.top, m_baseClient.Width(),
                   m_baseClient.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    m_resizing = false;
    m_w.layout = ComputeLayout(m_w.window.GetClientRect(), m_baseNotesHome, dpi);
    m_w.calendar.Place(m_calendarGrowth);
    m_w.painter.CreateTabFonts(dpi);
    ApplyFonts();
    FitWindow(); // the chosen size at the new DPI, and everything placed
}

LRESULT CWindowLook::SizingHitTest(POINT screen) const {
    if (m_w.settings.nFullView == 0) {
        return 0;
    }
    ::ScreenToClient(m_w.Wnd(), &screen);
    switch (::SizingEdgeAt(m_w.layout, SPoint{screen.x, screen.y})) {
    case ESizingEdge::Corner:
        return HTBOTTOMRIGHT;
    case ESizingEdge::Right:
        return HTRIGHT;
    case ESizingEdge::Bottom:
        return HTBOTTOM;
    case ESizingEdge::None:
        break;
    }
    return 0;
}

void CWindowLook::BeginSizing() {
    const SRect client = m_w.window.GetClientRect();
    m_sizeAtBegin = SPoint{client.Width(), client.Height()};
}

void CWindowLook::FollowSize() {
    const SRect client = m_w.window.GetClientRect();
    if (m_resizing || m_baseClient.Width() == 0 ||
        (client.Width() == m_w.layout.rcClient.Width() &&
         client.Height() == m_w.layout.rcClient.Height())) {
        return;
    }
    LayOutInClient();
}

void CWindowLook::EndSizing() {
    const SRect client = m_w.window.GetClientRect();
    const SPoint size{client.Width(), client.Height()};
    if (size == m_sizeAtBegin) {
        return; // a press on the edge that sized nothing
    }
    m_chosenSize = LogicalSize(size, m_w.layout.dpi);
    // Not kept, the size is lost only for the next start: nothing to trouble the user with.
    CDiskFileSystem files;
    KeepWindowSize(files, m_w.saves.Paths().local, m_chosenSize);
}

SPoint CWindowLook::LeastSize() const {
    return SPoint{m_baseClient.Width() + m_calendarGrowth.x,
                  m_baseClient.Height() + m_calendarGrowth.y};
}

SPoint CWindowLook::WantedSize() const {
    const SPoint least = LeastSize();
    if (m_chosenSize == SPoint{}) {
        return least; // no monitor to ask
    }
    const SRect work = WorkAreaOf(m_w.Wnd());
    return ChosenWindowSize(m_chosenSize, least, SPoint{work.Width(), work.Height()},
                            m_w.layout.dpi);
}

void CWindowLook::FitWindow() {
    const SPoint size = WantedSize();
    const SRect client = m_w.window.GetClientRect();
    if (size.x != client.Width() || size.y != client.Height()) {
        m_resizing = true;
        ::SetWindowPos(m_w.Wnd(), nullptr, 0, 0, size.x, size.y,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_resizing = false;
    }
    LayOutInClient();
}

void CWindowLook::FitChosenSize() {
    const SPoint size = WantedSize();
    const SRect client = m_w.window.GetClientRect();
    if (size.x != client.Width() || size.y != client.Height()) {
        FitWindow();
    }
}

void CWindowLook::LayOutInClient() {
    const SRect client = m_w.window.GetClientRect();
    const SPoint least = LeastSize();
    const SPoint extra{client.Width() - least.x, client.Height() - least.y};
    m_w.layout = ComputeLayout(
        client, NotesHomeBelowCalendar(m_baseNotesHome, m_calendarGrowth, extra), m_w.layout.dpi);
    PlaceByLayout();
}

void CWindowLook::FitCalendar() {
    const SPoint growth = m_w.calendar.Growth();
    if (growth == m_calendarGrowth) {
        return;
    }
    m_calendarGrowth = growth;
    m_w.calendar.Place(growth);
    FitWindow();
}

void CWindowLook::PlaceByLayout() {
    m_w.noteArea.PlaceSearchBox();
    if (IsKnownRoom(m_w.settings.nRoom)) {
        m_w.noteArea.Rooms().SwitchRoom(m_w.settings.nRoom); // the shown room: laid out again only
    }
    PlaceToolTips(true);
    ApplyWindowShape();
    ::RedrawWindow(m_w.Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CWindowLook::ShowTips(bool shown) {
    m_toolTip.Activate(shown);
    PlaceToolTips(shown);
}

void CWindowLook::PlaceToolTips(bool shown) {
    const HWND wnd = m_w.Wnd();
    m_toolTip.SetToolRect(wnd, shown ? m_w.layout.rcMenuButton : SRect{}, kMenuButtonTipId);
    for (int room = kRoomDynamic; room <= kRoomSearch; ++room) {
        m_toolTip.SetToolRect(wnd, shown ? RoomTabRect(m_w.layout, room) : SRect{},
                              RoomTabTipId(room));
    }
}

SWindowPlace CWindowLook::WindowPlace() const {
    return SWindowPlace{m_w.window.GetWindowRect(), DesktopRect(), MonitorWorkAreas(),
                        m_w.layout.rcTitle.bottom};
}

std::string CWindowLook::ClockText() const {
    return FormatHeaderText(m_w.settings.nTimeFormat, true, m_w.settings.strCustomFormat,
                            CurrentTime());
}

void CWindowLook::OnClockTick() {
    const QTime now = CurrentTime();
    const std::string pattern =
        FormatHeaderText(m_w.settings.nTimeFormat, false, m_w.settings.strCustomFormat, now);
    if (FormatTime(now, pattern) != FormatTime(m_timeShown, pattern)) {
        m_timeShown = now;
        const RECT title = ToRECT(m_w.layout.rcTitle);
        ::InvalidateRect(m_w.Wnd(), &title, FALSE);
    }
}

void CWindowLook::Paint() const {
    const SSettings& settings = m_w.settings;
    const SRect& client = m_w.layout.rcClient;
    const SPoint least = LeastSize();
    // Only a window the user made larger shows the grip: the least one stays as it always was,
    // and the shape with all corners rounded leaves no corner to draw it in.
    const bool grip =
        settings.nShape != 2 && (client.Width() > least.x || client.Height() > least.y);
    SPaintScene scene{m_w.layout, settings.nRoom, m_highContrast ? -1 : settings.nGradient,
                      ClockText(), settings.lfTitle.lfHeight};
    scene.sizeGrip = grip;
    m_w.painter.Paint(m_w.Wnd(), scene);
}
