#include "quillet_app_win.h"

#include "base/ids.h"
#include "base/layout.h"
#include "base/utf8.h"
#include "base/utf8_win.h"
#include "notes/day_notes.h"

#include <commdlg.h>

#include <algorithm>
#include <map>

namespace e2e {

namespace {

constexpr int kCalendarId = IDC_CALENDAR;
constexpr int kNotesId = IDC_NOTES;
constexpr int kSearchId = IDC_SEARCH;
constexpr UINT kSendTimeoutMs = 10000;

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

SDate FromSystemTime(const SYSTEMTIME& st) {
    return SDate{st.wYear, st.wMonth, st.wDay};
}

struct SEnumState {
    DWORD pid;
    const char* className;
    bool visibleOnly;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<SEnumState*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == state->pid && (!state->visibleOnly || ::IsWindowVisible(window)) &&
        ClassOf(window) == state->className) {
        state->windows.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelOf(DWORD pid, const char* className, bool visibleOnly = true) {
    SEnumState state{pid, className, visibleOnly, {}};
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.windows;
}

std::vector<HWND> DialogsOf(DWORD pid) {
    return TopLevelOf(pid, "#32770");
}

} // namespace

bool BalloonShown(const std::string& text) {
    struct SSearch {
        const std::string& text;
        bool found;
    } search{text, false};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* state = reinterpret_cast<SSearch*>(param);
            char16_t shown[512] = {};
            DWORD_PTR ignored = 0;
            if (ClassOf(window) == TOOLTIPS_CLASSA && ::IsWindowVisible(window) &&
                ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(shown),
                                      SMTO_ABORTIFHUNG, 1000, &ignored) != 0 &&
                state->text == Utf16ToUtf8(std::u16string(shown))) {
                state->found = true;
            }
            return !state->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool operator==(const SDate& a, const SDate& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

SDate Today() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return FromSystemTime(now);
}

SDate OtherDayThisMonth(std::initializer_list<int> excludedDays) {
    SDate date = Today();
    const int today = date.day;
    for (int day : {10, 17, 24, 3, 13, 20, 27}) {
        bool excluded = day == today;
        for (int e : excludedDays) {
            excluded = excluded || day == e;
        }
        if (!excluded) {
            date.day = day;
            return date;
        }
    }
    return date;
}

std::string KeyOf(const SDate& date) {
    return DayKeyFromDate(date.year, date.month, date.day);
}

CRemoteMemory::CRemoteMemory(HANDLE process, size_t size)
    : m_process(process), m_address(::VirtualAllocEx(process, nullptr, size,
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

CRemoteMemory::~CRemoteMemory() {
    if (m_address != nullptr) {
        ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
}

bool CRemoteMemory::Write(const void* data, size_t size) const {
    SIZE_T done = 0;
    return m_address != nullptr && ::WriteProcessMemory(m_process, m_address, data, size, &done) &&
           done == size;
}

bool CRemoteMemory::Read(void* data, size_t size) const {
    SIZE_T done = 0;
    return m_address != nullptr && ::ReadProcessMemory(m_process, m_address, data, size, &done) &&
           done == size;
}

CQuilletApp::~CQuilletApp() {
    Kill();
}

bool CQuilletApp::Start(const std::string& exePath, Millis poll) {
    Kill(); // the handles and remote memory of a run that ended
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring exe;
    if (!Utf8ToWide(exePath, exe)) {
        return false;
    }
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &m_process)) {
        return false;
    }
    return WaitUntil(
               [this] {
                   m_main = FindMainWindow();
                   return m_main != nullptr || !IsRunning();
               },
               kWait, poll) &&
           m_main != nullptr;
}

bool CQuilletApp::IsRunning() const {
    return m_process.hProcess != nullptr &&
           ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

bool CQuilletApp::WaitForExit(Millis timeout) {
    return m_process.hProcess != nullptr &&
           ::WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(timeout.count())) ==
               WAIT_OBJECT_0;
}

void CQuilletApp::Kill() {
    if (m_process.hProcess == nullptr) {
        return;
    }
    m_scratch.reset();
    if (IsRunning()) {
        ::TerminateProcess(m_process.hProcess, 1);
        ::WaitForSingleObject(m_process.hProcess, 10000);
    }
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
    m_process = PROCESS_INFORMATION{};
    m_main = nullptr;
}

HWND CQuilletApp::FindMainWindow() const {
    // The hidden owner dialog has no calendar; the main window does.
    for (HWND window : DialogsOf(m_process.dwProcessId)) {
        if (::GetDlgItem(window, kCalendarId) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

HWND CQuilletApp::Notes() const {
    return ::GetDlgItem(m_main, kNotesId);
}

HWND CQuilletApp::Search() const {
    return ::GetDlgItem(m_main, kSearchId);
}

HWND CQuilletApp::Calendar() const {
    return ::GetDlgItem(m_main, kCalendarId);
}

std::vector<HWND> CQuilletApp::OtherDialogs() const {
    std::vector<HWND> others;
    for (HWND window : DialogsOf(m_process.dwProcessId)) {
        if (window != m_main) {
            others.push_back(window);
        }
    }
    return others;
}

HWND CQuilletApp::WaitForDialog(const std::string& caption) const {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND dialog : OtherDialogs()) {
            if (Text(dialog) == caption) {
                found = dialog;
            }
        }
        return found != nullptr || !IsRunning();
    });
    return found;
}

HWND CQuilletApp::OpenDialog(UINT command, const std::string& caption) const {
    return PostCommand(command) ? WaitForDialog(caption) : nullptr;
}

bool CQuilletApp::AnswerFileDialog(HWND dialog, const std::string& path) const {
    // The file name box: an edit, or the combo box that holds one.
    for (int id : {1152, 1148}) {
        const HWND box = ::GetDlgItem(dialog, id);
        if (box != nullptr && ::IsWindowVisible(box) && SetText(box, path)) {
            return Post(dialog, WM_COMMAND, IDOK, 0);
        }
    }
    return false;
}

namespace {

// Marks of a menu window's items: a band of rows with ink in the text column is an item (thin
// bands are separators); ink in the margin left of it is its mark. Each row is compared with its
// own right end, so the highlighted item reads like the others.
std::vector<bool> MarksOnScreen(HWND menuWindow) {
    RECT client{};
    ::GetClientRect(menuWindow, &client);
    const CScreenShot shot(menuWindow, client);
    auto inked = [&](int y, int from, int to) {
        const COLORREF background = shot.At(shot.Width() - 4, y);
        for (int x = from; x < to; ++x) {
            if (shot.At(x, y) != background) {
                return true;
            }
        }
        return false;
    };
    std::vector<bool> marks;
    for (int y = 0; y < shot.Height();) {
        if (!inked(y, 24, shot.Width() - 8)) {
            ++y;
            continue;
        }
        const int top = y;
        while (y < shot.Height() && inked(y, 24, shot.Width() - 8)) {
            ++y;
        }
        if (y - top < 4) {
            continue;
        }
        bool mark = false;
        for (int row = std::max(0, top - 2); row < std::min(shot.Height(), y + 2); ++row) {
            mark = mark || inked(row, 3, 18);
        }
        marks.push_back(mark);
    }
    return marks;
}

} // namespace

std::vector<HWND> CQuilletApp::Menus() const {
    return TopLevelOf(m_process.dwProcessId, "#32768");
}

bool CQuilletApp::OpenMenu() const {
    const LPARAM button = MAKELPARAM(5, 5);
    return Drain() && Post(m_main, WM_LBUTTONDOWN, MK_LBUTTON, button) &&
           Post(m_main, WM_LBUTTONUP, 0, button) && WaitUntil([&] { return Menus().size() == 1; });
}

bool CQuilletApp::CloseMenus() const {
    return Post(m_main, WM_CANCELMODE, 0, 0) && WaitUntil([&] { return Menus().empty(); }) &&
           Drain();
}

std::vector<bool> CQuilletApp::MenuMarks(int submenuIndex) {
    std::vector<bool> marks;
    if (!OpenMenu()) {
        return marks;
    }
    // The menu's own loop takes the keys from the queue.
    for (int i = 0; i <= submenuIndex; ++i) {
        Post(m_main, WM_KEYDOWN, VK_DOWN, 0);
    }
    Post(m_main, WM_KEYDOWN, VK_RIGHT, 0);
    if (WaitUntil([&] { return Menus().size() == 2; })) {
        ::Sleep(200); // the submenu paints after it shows
        // The submenu opens to the right of the main menu.
        HWND submenu = nullptr;
        LONG right = LONG_MIN;
        for (HWND menu : Menus()) {
            RECT rect{};
            ::GetWindowRect(menu, &rect);
            if (rect.left > right) {
                right = rect.left;
                submenu = menu;
            }
        }
        marks = MarksOnScreen(submenu);
    }
    CloseMenus();
    return marks;
}

std::vector<std::string> CQuilletApp::ToolTips() const {
    std::vector<std::string> texts;
    constexpr size_t kTextAt = 512;
    for (HWND tip : TopLevelOf(m_process.dwProcessId, TOOLTIPS_CLASSA, false)) {
        const LRESULT count = SendOrZero(tip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            TOOLINFOA info{};
            info.cbSize = sizeof info;
            info.lpszText = reinterpret_cast<char*>(Scratch().Address() + kTextAt);
            char text[512] = {};
            if (!Scratch().Write(&info, sizeof info) ||
                SendOrZero(tip, TTM_ENUMTOOLSA, static_cast<WPARAM>(i), Scratch().Address()) == 0) {
                continue;
            }
            SIZE_T done = 0;
            ::ReadProcessMemory(m_process.hProcess,
                                reinterpret_cast<void*>(Scratch().Address() + kTextAt), text,
                                sizeof text - 1, &done);
            texts.push_back(text);
        }
    }
    return texts;
}

SMessageBox CQuilletApp::ReadMessageBox(HWND box) const {
    SMessageBox read;
    read.owner = ::GetWindow(box, GW_OWNER);
    read.caption = Text(box);
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::string kind = ClassOf(child);
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if (kind == "Button" && (style & WS_VISIBLE)) {
            read.buttons.push_back(::GetDlgCtrlID(child));
            if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                read.defaultButton = ::GetDlgCtrlID(child);
            }
        } else if (kind == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
            read.icon = child;
        } else if (kind == "Static") {
            read.text += Text(child);
        }
    }
    return read;
}

LRESULT CQuilletApp::SendOrZero(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                bool* ok) const {
    DWORD_PTR result = 0;
    const bool sent = ::SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_NORMAL,
                                            kSendTimeoutMs, &result) != 0;
    if (ok != nullptr) {
        *ok = sent;
    }
    return sent ? static_cast<LRESULT>(result) : 0;
}

std::string CQuilletApp::Text(HWND window) const {
    const LRESULT length = SendOrZero(window, WM_GETTEXTLENGTH, 0, 0);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const LRESULT copied =
        SendOrZero(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied));
    return Utf16ToUtf8(text);
}

bool CQuilletApp::SetText(HWND window, const std::string& text) const {
    bool ok = false;
    const std::u16string wide = Utf8ToUtf16(text);
    const LRESULT result =
        SendOrZero(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), &ok);
    return ok && result != 0;
}

bool CQuilletApp::SendCommand(UINT id) const {
    bool ok = false;
    SendOrZero(m_main, WM_COMMAND, id, 0, &ok);
    return ok;
}

bool CQuilletApp::PostCommand(UINT id) const {
    return Post(m_main, WM_COMMAND, id, 0);
}

bool CQuilletApp::Post(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(window, msg, wParam, lParam) != 0;
}

bool CQuilletApp::Drain() const {
    // Posted messages are handled in order, so a marker posted last is handled last. The
    // search box's modified flag serves as the marker: nothing in the program reads it.
    const HWND search = Search();
    bool ok = false;
    SendOrZero(search, EM_SETMODIFY, FALSE, 0, &ok);
    if (!ok || !Post(search, EM_SETMODIFY, TRUE, 0)) {
        return false;
    }
    return WaitUntil([&] { return SendOrZero(search, EM_GETMODIFY, 0, 0) != 0; });
}

POINT CQuilletApp::TabCentre(int room) const {
    RECT notes{};
    ::GetWindowRect(Notes(), &notes);
    ::MapWindowPoints(nullptr, m_main, reinterpret_cast<POINT*>(&notes), 2);
    // The tabs hang off the notes box's home, which the box keeps in the day's room.
    const SRect home{notes.left, notes.top, notes.right, notes.bottom};
    const SRect tab = RoomTabRect(ComputeLayout(home, home), room);
    return POINT{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2};
}

bool CQuilletApp::ClickTab(int room) const {
    const POINT centre = TabCentre(room);
    const LPARAM at = MAKELPARAM(centre.x, centre.y);
    return Post(m_main, WM_LBUTTONDOWN, MK_LBUTTON, at) && Post(m_main, WM_LBUTTONUP, 0, at) &&
           Drain();
}

bool CQuilletApp::MouseClickTab(int room) const {
    return MouseAt(TabCentre(room), true);
}

namespace {

// A mouse event at a screen point. Every event carries the position: under Wine a button event
// without one was seen to land where the cursor had been before the move.
INPUT MouseEvent(POINT at, DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Rounded up: the system truncates when it maps the position back to a pixel.
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = (at.x * 65536 + width - 1) / width;
    input.mi.dy = (at.y * 65536 + height - 1) / height;
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    return input;
}

// Sent, and waited for until the cursor is there.
bool MouseEventAt(POINT at, DWORD flags) {
    INPUT input = MouseEvent(at, flags);
    return ::SendInput(1, &input, sizeof(INPUT)) == 1 && WaitUntil([&] {
               POINT cursor{};
               return ::GetCursorPos(&cursor) && cursor.x == at.x && cursor.y == at.y;
           });
}

} // namespace

bool CQuilletApp::MouseAt(POINT client, bool click) const {
    POINT at = client;
    ::ClientToScreen(m_main, &at);
    ::SetForegroundWindow(m_main);
    if (!WaitUntil([&] { return ::GetForegroundWindow() == m_main; })) {
        return false;
    }
    INPUT press[2] = {MouseEvent(at, MOUSEEVENTF_LEFTDOWN), MouseEvent(at, MOUSEEVENTF_LEFTUP)};
    return MouseEventAt(at, 0) && (!click || ::SendInput(2, press, sizeof(INPUT)) == 2);
}

bool CQuilletApp::MouseDrag(POINT client, SIZE by) const {
    if (!MouseAt(client, false)) {
        return false;
    }
    POINT at = client;
    ::ClientToScreen(m_main, &at);
    // The press and the release count once the window took and gave back the mouse: a loaded
    // machine may deliver them late.
    const auto captured = [this] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return ::GetGUIThreadInfo(m_process.dwThreadId, &info) && info.hwndCapture != nullptr;
    };
    if (!MouseEventAt(at, MOUSEEVENTF_LEFTDOWN) || !WaitUntil(captured)) {
        return false;
    }
    constexpr int kSteps = 4;
    for (int step = 1; step <= kSteps; ++step) {
        if (!MouseEventAt(POINT{at.x + by.cx * step / kSteps, at.y + by.cy * step / kSteps}, 0)) {
            return false;
        }
    }
    return MouseEventAt(POINT{at.x + by.cx, at.y + by.cy}, MOUSEEVENTF_LEFTUP) &&
           WaitUntil([&] { return !captured(); });
}

bool CQuilletApp::ToolTipShown() const {
    return !TopLevelOf(m_process.dwProcessId, TOOLTIPS_CLASSA).empty();
}

bool PressKeys(HWND window, std::initializer_list<WORD> chord) {
    ::SetForegroundWindow(window);
    // Foreground for the system is not yet active for the program: a loaded machine delivers the
    // activation late, and a menu opened before it closes at once.
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    if (!WaitUntil([&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return ::GetForegroundWindow() == window && ::GetGUIThreadInfo(thread, &info) &&
                   info.hwndActive == window;
        })) {
        return false;
    }
    // Down in the given order, up in the reverse one.
    std::vector<INPUT> keys;
    for (WORD code : chord) {
        INPUT key{};
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = code;
        key.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(code, MAPVK_VK_TO_VSC));
        keys.push_back(key);
    }
    for (auto it = chord.end(); it != chord.begin();) {
        keys.push_back(keys[static_cast<size_t>(--it - chord.begin())]);
        keys.back().ki.dwFlags = KEYEVENTF_KEYUP;
    }
    return ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) == keys.size();
}

HWND FocusedWindow(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(top, nullptr), &info) ? info.hwndFocus
                                                                               : nullptr;
}

bool CQuilletApp::PressCtrlS() const {
    return PressKeys(m_main, {VK_CONTROL, 'S'});
}

const CRemoteMemory& CQuilletApp::Scratch() const {
    if (!m_scratch) {
        m_scratch = std::make_unique<CRemoteMemory>(m_process.hProcess, 4096);
    }
    return *m_scratch;
}

bool CQuilletApp::GetCurSel(SDate& date) const {
    const CRemoteMemory& memory = Scratch();
    SYSTEMTIME st{};
    if (!memory.Write(&st, sizeof st) ||
        SendOrZero(Calendar(), MCM_GETCURSEL, 0, memory.Address()) == 0 ||
        !memory.Read(&st, sizeof st)) {
        return false;
    }
    date = FromSystemTime(st);
    return true;
}

bool CQuilletApp::GetRange(SDate& first, SDate& last) const {
    const CRemoteMemory& memory = Scratch();
    SYSTEMTIME range[2]{};
    if (!memory.Write(range, sizeof range) ||
        SendOrZero(Calendar(), MCM_GETRANGE, 0, memory.Address()) != (GDTR_MIN | GDTR_MAX) ||
        !memory.Read(range, sizeof range)) {
        return false;
    }
    first = FromSystemTime(range[0]);
    last = FromSystemTime(range[1]);
    return true;
}

SIZE CQuilletApp::CalendarNeeds() const {
    const CRemoteMemory& memory = Scratch();
    RECT needed{};
    if (!memory.Write(&needed, sizeof needed) ||
        SendOrZero(Calendar(), MCM_GETMINREQRECT, 0, memory.Address()) == 0 ||
        !memory.Read(&needed, sizeof needed)) {
        return SIZE{};
    }
    return SIZE{needed.right - needed.left, needed.bottom - needed.top};
}

bool CQuilletApp::SendDpiChanged(int dpi, const RECT& suggested) const {
    const CRemoteMemory& memory = Scratch();
    if (!memory.Write(&suggested, sizeof suggested)) {
        return false;
    }
    bool sent = false;
    SendOrZero(m_main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), memory.Address(), &sent);
    return sent;
}

std::string CQuilletApp::FileDialogFolder(HWND dialog) const {
    const CRemoteMemory& memory = Scratch();
    constexpr int kChars = 1024;
    wchar_t folder[kChars] = {};
    if (!memory.Write(folder, sizeof folder)) {
        return std::string();
    }
    ::SendMessageW(dialog, CDM_GETFOLDERPATH, kChars, static_cast<LPARAM>(memory.Address()));
    std::string text;
    return memory.Read(folder, sizeof folder) && WideToUtf8(folder, text) ? text : std::string();
}

SHit CQuilletApp::HitTest(POINT point) const {
    const CRemoteMemory& memory = Scratch();
    MCHITTESTINFO info{};
    info.cbSize = sizeof info;
    info.pt = point;
    SHit hit;
    if (!memory.Write(&info, sizeof info)) {
        return hit;
    }
    SendOrZero(Calendar(), MCM_HITTEST, 0, memory.Address());
    if (memory.Read(&info, sizeof info)) {
        hit.code = info.uHit;
        hit.date = FromSystemTime(info.st);
    }
    return hit;
}

bool CQuilletApp::FindDayPoint(const SDate& date, POINT& point, UINT code) const {
    RECT client{};
    ::GetClientRect(Calendar(), &client);
    // Day cells are far wider and taller than the step.
    constexpr int kStep = 5;
    for (int y = kStep / 2; y < client.bottom; y += kStep) {
        for (int x = kStep / 2; x < client.right; x += kStep) {
            const SHit hit = HitTest(POINT{x, y});
            if (hit.code == code && hit.date == date) {
                point = POINT{x, y};
                return true;
            }
        }
    }
    return false;
}

bool CQuilletApp::FindDayCell(const SDate& date, RECT& cell) const {
    POINT start{};
    if (!FindDayPoint(date, start)) {
        return false;
    }
    auto inside = [&](int x, int y) {
        const SHit hit = HitTest(POINT{x, y});
        return hit.code == MCHT_CALENDARDATE && hit.date == date;
    };
    cell = RECT{start.x, start.y, start.x + 1, start.y + 1};
    while (cell.left > 0 && inside(cell.left - 1, start.y)) {
        --cell.left;
    }
    while (inside(cell.right, start.y) && cell.right - start.x < 100) {
        ++cell.right;
    }
    while (cell.top > 0 && inside(start.x, cell.top - 1)) {
        --cell.top;
    }
    while (inside(start.x, cell.bottom) && cell.bottom - start.y < 100) {
        ++cell.bottom;
    }
    return true;
}

bool CQuilletApp::SelectDay(const SDate& date, UINT code) const {
    POINT point{};
    if (!FindDayPoint(date, point, code)) {
        return false;
    }
    const LPARAM at = MAKELPARAM(point.x, point.y);
    if (!Post(Calendar(), WM_LBUTTONDOWN, MK_LBUTTON, at) ||
        !Post(Calendar(), WM_LBUTTONUP, 0, at) || !Drain()) {
        return false;
    }
    SDate selected;
    return GetCurSel(selected) && selected == date;
}

namespace {

// A 32-bit top-down bitmap selected into a memory DC compatible with the screen.
class CDibCanvas {
public:
    CDibCanvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_screen = ::GetDC(nullptr);
        m_memory = ::CreateCompatibleDC(m_screen);
        m_bitmap = ::CreateDIBSection(m_screen, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_old = ::SelectObject(m_memory, m_bitmap);
    }
    ~CDibCanvas() {
        ::SelectObject(m_memory, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_memory);
        ::ReleaseDC(nullptr, m_screen);
    }
    CDibCanvas(const CDibCanvas&) = delete;
    CDibCanvas& operator=(const CDibCanvas&) = delete;

    HDC Screen() const { return m_screen; }
    HDC Dc() const { return m_memory; }
    std::vector<COLORREF> Pixels() const {
        ::GdiFlush();
        std::vector<COLORREF> out;
        const auto* pixels = static_cast<const uint32_t*>(m_bits);
        for (int i = 0; i < m_width * m_height; ++i) {
            const uint32_t p = pixels[i];
            out.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
        return out;
    }

private:
    int m_width;
    int m_height;
    HDC m_screen;
    HDC m_memory;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    void* m_bits = nullptr;
};

} // namespace

CScreenShot::CScreenShot(HWND window, const RECT& rect) {
    POINT origin{rect.left, rect.top};
    ::ClientToScreen(window, &origin);
    m_width = rect.right - rect.left;
    m_height = rect.bottom - rect.top;
    if (m_width <= 0 || m_height <= 0) {
        m_width = m_height = 0;
        return;
    }
    const CDibCanvas canvas(m_width, m_height);
    ::BitBlt(canvas.Dc(), 0, 0, m_width, m_height, canvas.Screen(), origin.x, origin.y, SRCCOPY);
    m_pixels = canvas.Pixels();
}

COLORREF CScreenShot::At(int x, int y) const {
    return m_pixels[static_cast<size_t>(y) * m_width + x];
}

COLORREF CScreenShot::MostFrequentColour() const {
    std::map<COLORREF, int> counts;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            ++counts[At(x, y)];
        }
    }
    COLORREF colour = 0;
    int most = 0;
    for (const auto& entry : counts) {
        if (entry.second > most) {
            most = entry.second;
            colour = entry.first;
        }
    }
    return colour;
}

int CScreenShot::InkPixels() const {
    const COLORREF background = MostFrequentColour();
    int ink = 0;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            ink += At(x, y) != background ? 1 : 0;
        }
    }
    return ink;
}

int CScreenShot::DifferentPixels(const std::vector<COLORREF>& other) const {
    if (other.size() != m_pixels.size()) {
        return m_width * m_height;
    }
    int different = 0;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            different += At(x, y) != other[static_cast<size_t>(y) * m_width + x] ? 1 : 0;
        }
    }
    return different;
}

namespace {

std::vector<COLORREF> DrawIconPicture(LPCSTR icon, int width, int height, COLORREF background) {
    const CDibCanvas canvas(width, height);
    HBRUSH brush = ::CreateSolidBrush(background);
    const RECT all{0, 0, width, height};
    ::FillRect(canvas.Dc(), &all, brush);
    ::DeleteObject(brush);
    ::DrawIconEx(canvas.Dc(), 0, 0, ::LoadIconA(nullptr, icon), 0, 0, 0, nullptr, DI_NORMAL);
    return canvas.Pixels();
}

} // namespace

LPCSTR ShownSystemIcon(HWND iconStatic) {
    RECT client{};
    ::GetClientRect(iconStatic, &client);
    const CScreenShot shot(iconStatic, client);
    if (shot.Width() == 0) {
        return nullptr;
    }
    LPCSTR best = nullptr;
    int fewest = shot.Width() * shot.Height() + 1;
    for (LPCSTR icon : {IDI_ERROR, IDI_WARNING, IDI_QUESTION, IDI_INFORMATION}) {
        const int different = shot.DifferentPixels(
            DrawIconPicture(icon, shot.Width(), shot.Height(), shot.MostFrequentColour()));
        if (different < fewest) {
            fewest = different;
            best = icon;
        }
    }
    return best;
}

} // namespace e2e
