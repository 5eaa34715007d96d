#pragma once

// Runs Quillet.exe as a separate process and drives it the way a user and the system do: window
// messages, posted clicks, synthesized keys. Pointer-carrying messages of the month calendar get
// their memory inside Quillet's process.

#include "wait_win.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

struct SDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

bool operator==(const SDate& a, const SDate& b);
SDate Today();
// A day of the current month other than today and the excluded days: selecting it never scrolls
// the calendar.
SDate OtherDayThisMonth(std::initializer_list<int> excludedDays = {});
// The program's date key of a day ("%d%m%y").
std::string KeyOf(const SDate& date);

// A block of memory inside another process, for messages whose parameters are pointers.
class CRemoteMemory {
public:
    CRemoteMemory(HANDLE process, size_t size);
    ~CRemoteMemory();
    CRemoteMemory(const CRemoteMemory&) = delete;
    CRemoteMemory& operator=(const CRemoteMemory&) = delete;

    LPARAM Address() const { return reinterpret_cast<LPARAM>(m_address); }
    bool Write(const void* data, size_t size) const;
    bool Read(void* data, size_t size) const;

private:
    HANDLE m_process;
    void* m_address;
};

// A message box as the user sees it.
struct SMessageBox {
    HWND owner = nullptr;
    std::string caption;
    std::string text;
    std::vector<int> buttons;
    // The button drawn as the default one.
    int defaultButton = 0;
    HWND icon = nullptr;
};

struct SHit {
    UINT code = 0;
    SDate date;
};

// One run of Quillet.exe. Ends the process when destroyed if it still runs.
class CQuilletApp {
public:
    CQuilletApp() = default;
    ~CQuilletApp();
    CQuilletApp(const CQuilletApp&) = delete;
    CQuilletApp& operator=(const CQuilletApp&) = delete;

    // Starts the program and waits for its main window.
    // A benchmark polls for the window more often than the tests need.
    bool Start(const std::string& exePath, Millis poll = Millis(10));
    bool IsRunning() const;
    bool WaitForExit(Millis timeout = kWait);
    void Kill();

    HWND Main() const { return m_main; }
    HWND Notes() const;
    HWND Search() const;
    HWND Calendar() const;

    // Visible top-level dialogs of the process other than the main window (message boxes).
    std::vector<HWND> OtherDialogs() const;
    // Waits for the dialog with the caption; null when none came.
    HWND WaitForDialog(const std::string& caption) const;
    // Posts the command and waits for the dialog it opens.
    HWND OpenDialog(UINT command, const std::string& caption) const;
    SMessageBox ReadMessageBox(HWND box) const;
    // The folder an open or save-as dialog shows.
    std::string FileDialogFolder(HWND dialog) const;
    // Types the path into an open or save-as dialog and presses its OK button.
    bool AnswerFileDialog(HWND dialog, const std::string& path) const;

    // Opens the popup menu from the menu button and, by keys, the submenu at the index among the
    // main menu's items; returns for each item of the submenu whether it shows a check or radio
    // mark, as the screen shows them. The menus are closed again.
    std::vector<bool> MenuMarks(int submenuIndex);
    // Opens the popup menu from the menu button; closes every open menu.
    bool OpenMenu() const;
    bool CloseMenus() const;
    // The texts of every tool of the tooltip windows of the process.
    std::vector<std::string> ToolTips() const;

    // Window texts through the messages the system marshals between processes.
    std::string Text(HWND window) const;
    bool SetText(HWND window, const std::string& text) const;
    std::string NotesText() const { return Text(Notes()); }
    bool SetNotesText(const std::string& text) const { return SetText(Notes(), text); }

    // A command as a menu choice delivers it; Send returns after the handler did.
    bool SendCommand(UINT id) const;
    bool PostCommand(UINT id) const;
    bool Post(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) const;
    // Returns once Quillet has handled every message posted to it before this call.
    bool Drain() const;

    // A left click on room tab 0, 1 or 2, posted at the tab's place below the notes edit.
    bool ClickTab(int room) const;
    // The same click with the mouse: moved there, pressed and released.
    bool MouseClickTab(int room) const;
    // The mouse moved to a client point of the main window, and clicked there if asked.
    bool MouseAt(POINT client, bool click) const;
    // A left drag with the mouse from a client point of the main window, in steps.
    bool MouseDrag(POINT client, SIZE by) const;
    // Whether a tooltip of the program shows.
    bool ToolTipShown() const;
    // Ctrl+S as key presses on the keyboard, after bringing the window to the foreground.
    bool PressCtrlS() const;

    // The month calendar.
    bool GetCurSel(SDate& date) const;
    // The first and last selectable days; false when the calendar has no such limits.
    bool GetRange(SDate& first, SDate& last) const;
    // The size the calendar says it needs for a whole month; zero when it does not say.
    SIZE CalendarNeeds() const;
    // What the system sends when the window's monitor has another DPI, with its suggestion.
    bool SendDpiChanged(int dpi, const RECT& suggested) const;
    SHit HitTest(POINT point) const;
    // A client point of the calendar where the day is hit with the given code: a day of the
    // shown month, or with MCHT_CALENDARDATEPREV/NEXT one of the neighbouring months.
    bool FindDayPoint(const SDate& date, POINT& point, UINT code = MCHT_CALENDARDATE) const;
    // The day's cell in calendar client coordinates, as far as hit-testing reaches.
    bool FindDayCell(const SDate& date, RECT& cell) const;
    // Clicks the day and waits until the calendar and the program have taken the selection.
    bool SelectDay(const SDate& date, UINT code = MCHT_CALENDARDATE) const;

    // The popup menus the program shows.
    std::vector<HWND> Menus() const;

private:
    HWND FindMainWindow() const;
    // Client point of the main window in the middle of a room tab.
    POINT TabCentre(int room) const;
    LRESULT SendOrZero(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                       bool* ok = nullptr) const;

    // Memory in Quillet's process for the calendar's pointer parameters, made on first use.
    const CRemoteMemory& Scratch() const;

    PROCESS_INFORMATION m_process{};
    HWND m_main = nullptr;
    mutable std::unique_ptr<CRemoteMemory> m_scratch;
};

// Key presses on the keyboard, after bringing the window to the foreground: every key of the
// chord goes down in order, then up in reverse order.
bool PressKeys(HWND window, std::initializer_list<WORD> chord);
// The window of the top-level window's thread that has the keyboard focus.
HWND FocusedWindow(HWND top);

// Whether a balloon of the notification area shows the text: balloons are tooltip windows of the
// process that draws the notification area.
bool BalloonShown(const std::string& text);

// Pixels of a window's rectangle as the screen shows them.
class CScreenShot {
public:
    // rect is in the window's client coordinates.
    CScreenShot(HWND window, const RECT& rect);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF At(int x, int y) const;
    COLORREF MostFrequentColour() const;
    // Pixels that differ from the most frequent colour: the ink of text drawn on a background.
    int InkPixels() const;
    const std::vector<COLORREF>& Pixels() const { return m_pixels; }
    // Pixels that differ from another picture of the same size.
    int DifferentPixels(const std::vector<COLORREF>& other) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<COLORREF> m_pixels;
};

// The system's icon (IDI_ERROR, IDI_WARNING, ...) that an icon static on the screen shows: the
// one whose picture, drawn here on the static's background, differs from it in fewest pixels.
LPCSTR ShownSystemIcon(HWND iconStatic);

} // namespace e2e
