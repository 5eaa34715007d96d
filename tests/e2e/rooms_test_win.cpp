// The notes edit as the working copy of three rooms: what a day change or a room change commits,
// the bold noted days, and the search room.
#include "quillet_test_win.h"

#include <oleacc.h>

#include "base/utf8.h"
#include "notes/search.h"

#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace e2e {
namespace {

// Ink of a day cell on the screen, once the calendar has stopped repainting. A bold day number
// has more ink than a plain one; the control offers no message to read its day states back.
int CellInk(const CQuilletApp& app, RECT cell) {
    ::InflateRect(&cell, -1, -1);
    int last = -1;
    int ink = -2;
    // Two samples a little apart that agree: the paint has reached the screen.
    WaitUntil(
        [&] {
            last = ink;
            ::Sleep(50);
            ink = CScreenShot(app.Calendar(), cell).InkPixels();
            return ink == last && ink > 0;
        },
        Millis(3000));
    return ink;
}

bool Earlier(const SDate& a, const SDate& b) {
    return a.day < b.day;
}

DayArray InDateOrder(SDay a, SDay b, const SDate& dateA, const SDate& dateB) {
    return Earlier(dateA, dateB) ? DayArray{a, b} : DayArray{b, a};
}

// Where the caret stands in the notes edit; -1 when text is selected.
int CaretAt(const CQuilletApp& app) {
    DWORD_PTR selection = 0;
    ::SendMessageTimeoutW(app.Notes(), EM_GETSEL, 0, 0, SMTO_NORMAL, 5000, &selection);
    const int start = LOWORD(selection);
    return start == HIWORD(selection) ? start : -1;
}

using DaySelection = QuilletTest;

TEST_F(DaySelection, TypedNoteIsStoredOnSelectingAnotherDayAndItsDayTurnsBold) {
    ASSERT_TRUE(Launch());
    const SDate noted = OtherDayThisMonth();
    const SDate next = OtherDayThisMonth({noted.day});
    RECT cell{};
    ASSERT_TRUE(m_app.FindDayCell(noted, cell));
    const int plainInk = CellInk(m_app, cell);

    ASSERT_TRUE(m_app.SelectDay(noted));
    EXPECT_EQ(m_app.NotesText(), "");
    ASSERT_TRUE(m_app.SetNotesText("Dentist\r\nat 10"));
    ASSERT_TRUE(m_app.SelectDay(next));
    EXPECT_EQ(m_app.NotesText(), "");
    EXPECT_TRUE(WaitUntil([&] { return CellInk(m_app, cell) > plainInk; }, Millis(3000)))
        << "the noted day is not drawn bold; plain ink " << plainInk;

    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    const SNotes saved = ReadNotesFile(m_paths.notes);
    ASSERT_TRUE(saved.read);
    EXPECT_EQ(saved.days, InDateOrder(FirstRunDays()[0], SDay{KeyOf(noted), "Dentist\r\nat 10"},
                                      Today(), noted));

    ASSERT_TRUE(m_app.SelectDay(noted));
    EXPECT_EQ(m_app.NotesText(), "Dentist\r\nat 10");
    EXPECT_EQ(CaretAt(m_app), 14);

    // A note longer than the box ends on its bottom line, whatever view the note before had.
    auto lines = [](int count) {
        std::string text = "line 0";
        for (int i = 1; i < count; ++i) {
            text += "\r\nline " + std::to_string(i);
        }
        return text;
    };
    auto firstShown = [&] { return ::SendMessageW(m_app.Notes(), EM_GETFIRSTVISIBLELINE, 0, 0); };
    ASSERT_TRUE(m_app.SetNotesText(lines(40)));
    ASSERT_TRUE(m_app.SelectDay(next));
    ASSERT_TRUE(m_app.SetNotesText(lines(38)));
    ASSERT_TRUE(m_app.SelectDay(noted)); // shown scrolled to its end
    ASSERT_TRUE(m_app.SelectDay(next));
    const LRESULT fromScrolled = firstShown();
    // The scroll bar shows the new note's place, as the box draws it afresh.
    const auto barPixels = [&] {
        RECT client{};
        ::GetClientRect(m_app.Notes(), &client);
        const RECT bar{client.right, 0, client.right + ::GetSystemMetrics(SM_CXVSCROLL),
                       client.bottom};
        std::vector<COLORREF> last;
        std::vector<COLORREF> now;
        WaitUntil(
            [&] {
                last = now;
                ::Sleep(50);
                now = CScreenShot(m_app.Notes(), bar).Pixels();
                return now == last;
            },
            Millis(3000));
        return now;
    };
    const std::vector<COLORREF> shownBar = barPixels();
    ::RedrawWindow(m_app.Notes(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_EQ(shownBar, barPixels());
    ASSERT_TRUE(m_app.SelectDay(Today()));
    ASSERT_EQ(firstShown(), 0);
    ASSERT_TRUE(m_app.SelectDay(next));
    EXPECT_GT(fromScrolled, 0);
    EXPECT_EQ(fromScrolled, firstShown());
    EXPECT_EQ(CaretAt(m_app), static_cast<int>(lines(38).size()));
}

SDate NextMonth(SDate date) {
    if (++date.month > 12) {
        date.month = 1;
        ++date.year;
    }
    return date;
}

TEST_F(DaySelection, MarksFollowTheSelectionIntoTheNextMonth) {
    const SDate here = OtherDayThisMonth();
    const SDate there = NextMonth(here);
    SDate firstOfNext = NextMonth(Today());
    firstOfNext.day = 1;
    ASSERT_TRUE(SeedNotes({{KeyOf(there), "Next month"}}, "", m_paths.notes));
    ASSERT_TRUE(Launch());
    RECT cell{};
    ASSERT_TRUE(m_app.FindDayCell(here, cell));
    const int plainInk = CellInk(m_app, cell);

    // A click on a trailing day of the next month scrolls the calendar there.
    ASSERT_TRUE(m_app.SelectDay(firstOfNext, MCHT_CALENDARDATENEXT));
    EXPECT_EQ(m_app.NotesText(), "");
    ASSERT_TRUE(m_app.FindDayCell(there, cell));
    EXPECT_TRUE(WaitUntil([&] { return CellInk(m_app, cell) > plainInk; }, Millis(3000)))
        << "the noted day of the next month is not drawn bold; plain ink " << plainInk;
    ASSERT_TRUE(m_app.SelectDay(there));
    EXPECT_EQ(m_app.NotesText(), "Next month");
}

// Emptied notes and notes of only blanks and line breaks count as no note.
class ClearedNote : public QuilletTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ClearedNote, IsRemovedOnSelectingAnotherDayWithItsBoldMark) {
    const SDate noted = OtherDayThisMonth();
    const SDate next = OtherDayThisMonth({noted.day});
    const SDay todays{KeyOf(Today()), "Stays"};
    ASSERT_TRUE(SeedNotes(InDateOrder(todays, SDay{KeyOf(noted), "Goes away"}, Today(), noted),
                          "Every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    RECT cell{};
    ASSERT_TRUE(m_app.FindDayCell(noted, cell));
    const int boldInk = CellInk(m_app, cell);

    ASSERT_TRUE(m_app.SelectDay(noted));
    EXPECT_EQ(m_app.NotesText(), "Goes away");
    ASSERT_TRUE(m_app.SetNotesText(GetParam()));
    ASSERT_TRUE(m_app.SelectDay(next));
    EXPECT_TRUE(WaitUntil([&] { return CellInk(m_app, cell) < boldInk; }, Millis(3000)))
        << "the day keeps its bold mark; bold ink " << boldInk;

    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    const SNotes saved = ReadNotesFile(m_paths.notes);
    ASSERT_TRUE(saved.read);
    EXPECT_EQ(saved.days, DayArray{todays});
    EXPECT_EQ(saved.everyDay, "Every day");
}

INSTANTIATE_TEST_SUITE_P(EmptyOrBlank, ClearedNote, ::testing::Values("", "  \r\n \r\n"));

using NoteRooms = QuilletTest;

TEST_F(NoteRooms, LeavingTheDayRoomStoresTheDayNote) {
    ASSERT_TRUE(Launch());
    const SRect window = WindowRectOf(m_app.Main());
    ASSERT_TRUE(m_app.SetNotesText("Typed in A"));
    ASSERT_TRUE(m_app.ClickTab(kRoomStatic));
    EXPECT_EQ(m_app.NotesText(), FirstRunEveryDay());
    EXPECT_EQ(CaretAt(m_app), 0);
    EXPECT_FALSE(::IsWindowVisible(m_app.Calendar()));
    EXPECT_FALSE(::IsWindowVisible(m_app.Search()));

    // Save All in the every-day room commits only the every-day note.
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    const SNotes saved = ReadNotesFile(m_paths.notes);
    EXPECT_EQ(saved.days, (DayArray{{KeyOf(Today()), "Typed in A"}}));
    EXPECT_EQ(saved.everyDay, FirstRunEveryDay());

    ASSERT_TRUE(m_app.ClickTab(kRoomDynamic));
    EXPECT_EQ(m_app.NotesText(), "Typed in A");
    EXPECT_EQ(CaretAt(m_app), 10);
    EXPECT_TRUE(::IsWindowVisible(m_app.Calendar()));
    EXPECT_EQ(WindowRectOf(m_app.Main()), window);
}

TEST_F(NoteRooms, LeavingTheEveryDayRoomStoresTheEveryDayNote) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.ClickTab(kRoomStatic));
    // Longer than an edit box lets the user type by default: keys still reach it.
    std::string list = "Water the plants";
    while (list.size() < 40000) {
        list += "\r\nand the garden, the balcony and the window boxes";
    }
    ASSERT_TRUE(m_app.SetNotesText(list));
    ASSERT_TRUE(m_app.Post(m_app.Notes(), EM_SETSEL, list.size(), list.size()));
    ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_CHAR, '!', 0));
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    EXPECT_TRUE(::IsWindowVisible(m_app.Search()));

    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    const SNotes saved = ReadNotesFile(m_paths.notes);
    EXPECT_EQ(saved.everyDay, list + "!");
    EXPECT_EQ(saved.days, FirstRunDays());
}

TEST_F(NoteRooms, EditedSearchResultsAreNeverStored) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    ASSERT_TRUE(m_app.SetNotesText("edited results"));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadFileBytes(m_paths.notes), SerializeNotes(FirstRunDays(), FirstRunEveryDay()));

    ASSERT_TRUE(m_app.SetNotesText("edited again"));
    ASSERT_TRUE(m_app.ClickTab(kRoomDynamic));
    EXPECT_EQ(m_app.NotesText(), "My first note...");
    EXPECT_FALSE(::IsWindowVisible(m_app.Search()));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadFileBytes(m_paths.notes), SerializeNotes(FirstRunDays(), FirstRunEveryDay()));
}

TEST_F(NoteRooms, MouseClicksOnTheTabsSwitchRoomsWithoutMovingTheWindow) {
    ASSERT_TRUE(Launch());
    const SRect window = WindowRectOf(m_app.Main());
    ASSERT_TRUE(m_app.SetNotesText("Typed"));
    ASSERT_TRUE(m_app.MouseClickTab(kRoomSearch));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_app.Search()) != FALSE; }));
    ASSERT_TRUE(m_app.MouseClickTab(kRoomStatic));
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == FirstRunEveryDay(); }));
    ASSERT_TRUE(m_app.MouseClickTab(kRoomDynamic));
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == "Typed"; }));
    EXPECT_EQ(WindowRectOf(m_app.Main()), window);
}

TEST_F(NoteRooms, KeysShowTheRoomsTheSearchAndTheMenuWithItsFirstItemSelected) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SetNotesText("Typed"));
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_CONTROL, '2'}));
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == FirstRunEveryDay(); }));
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_CONTROL, '3'}));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_app.Search()) != FALSE; }));
    ASSERT_TRUE(m_app.SetText(m_app.Search(), "Typ"));
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_CONTROL, '1'}));
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == "Typed"; }));

    // Ctrl+F: the search room, its box focused with the old text selected to be typed over.
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_CONTROL, 'F'}));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(m_app.Main()) == m_app.Search(); }));
    EXPECT_EQ(::SendMessageW(m_app.Search(), EM_GETSEL, 0, 0), MAKELRESULT(0, 3));
    // Tab and Shift+Tab go between the boxes shown; the notes box types no tab.
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_SHIFT, VK_TAB}));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(m_app.Main()) == m_app.Notes(); }));
    const std::string results = m_app.NotesText();
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_TAB}));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(m_app.Main()) == m_app.Search(); }));
    EXPECT_EQ(m_app.NotesText(), results);

    // The previous case left the pointer on a tab, where this window's menu opens: an item under
    // it would be selected, or its submenu opened, instead of the first item alone.
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    for (const bool shiftF10 : {false, true}) {
        SCOPED_TRACE(shiftF10 ? "Shift+F10" : "the context-menu key");
        ASSERT_TRUE(shiftF10 ? PressKeys(m_app.Main(), {VK_SHIFT, VK_F10})
                             : PressKeys(m_app.Main(), {VK_APPS}));
        HWND shown = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            const std::vector<HWND> menus = m_app.Menus();
            shown = menus.size() == 1 ? menus.front() : nullptr;
            return shown != nullptr;
        }));
        const auto menu = reinterpret_cast<HMENU>(::SendMessageW(shown, MN_GETHMENU, 0, 0));
        EXPECT_TRUE(
            WaitUntil([&] { return (::GetMenuState(menu, 0, MF_BYPOSITION) & MF_HILITE) != 0; }));
        ASSERT_TRUE(m_app.CloseMenus());
    }
}

TEST_F(NoteRooms, AScreenReaderFromAnotherProcessReadsThePaintedPartsAndTheShownTab) {
    ASSERT_TRUE(Launch());
    ::CoInitialize(nullptr);
    IAccessible* object = nullptr;
    const HRESULT got = ::AccessibleObjectFromWindow(m_app.Main(), OBJID_CLIENT, IID_IAccessible,
                                                     reinterpret_cast<void**>(&object));
    if (got == E_NOINTERFACE) {
        GTEST_SKIP() << "this system hands no accessible object to another process (Wine 8)";
    }
    ASSERT_EQ(got, S_OK);
    const auto text = [&](LONG id) {
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = id;
        BSTR name = nullptr;
        std::wstring out;
        if (SUCCEEDED(object->get_accName(child, &name)) && name != nullptr) {
            out = name;
            ::SysFreeString(name);
        }
        return out;
    };
    const auto selected = [&](LONG id) {
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = id;
        VARIANT state{};
        return SUCCEEDED(object->get_accState(child, &state)) &&
               (state.lVal & STATE_SYSTEM_SELECTED) != 0;
    };
    EXPECT_EQ(text(1), L"Menu");
    EXPECT_EQ(text(3), L"Static room (Every day)");
    EXPECT_TRUE(selected(2));
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_CONTROL, '2'}));
    EXPECT_TRUE(WaitUntil([&] { return selected(3) && !selected(2); }));
    object->Release();
    ::CoUninitialize();
}

TEST_F(NoteRooms, ClickOnTheShownRoomsTabKeepsTheText) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SetNotesText("Not committed yet"));
    ASSERT_TRUE(m_app.ClickTab(kRoomDynamic));
    EXPECT_EQ(m_app.NotesText(), "Not committed yet");
}

class NoteSearch : public QuilletTest {
protected:
    void SetUp() override {
        QuilletTest::SetUp();
        ASSERT_TRUE(SeedNotes({{"050125", "Dentist at 10"},
                               {"170325", "Call MOM\r\nabout Easter"},
                               {"010426", "dentist again"}},
                              "dentist every day", m_paths.notes));
    }

    // Types a search text and returns what the notes edit lists.
    std::string Search(const std::string& text) {
        EXPECT_TRUE(m_app.SetText(m_app.Search(), text));
        return m_app.NotesText();
    }
};

TEST_F(NoteSearch, ListsMatchingNotesWithTheirDatesOrEmpty) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    EXPECT_EQ(m_app.NotesText(), "05.01.25 Dentist at 10\r\n\r\n"
                                 "17.03.25 Call MOM\r\nabout Easter\r\n\r\n"
                                 "01.04.26 dentist again\r\n\r\n");
    // Case-insensitive; the every-day note is not searched.
    EXPECT_EQ(Search("DENTIST"), "05.01.25 Dentist at 10\r\n\r\n01.04.26 dentist again\r\n\r\n");
    EXPECT_EQ(Search("mom"), "17.03.25 Call MOM\r\nabout Easter\r\n\r\n");
    // The date is part of what is searched, up into the note.
    EXPECT_EQ(Search("03.25 ca"), "17.03.25 Call MOM\r\nabout Easter\r\n\r\n");
    EXPECT_EQ(Search("every day"), "Empty");
    EXPECT_EQ(Search("nowhere"), "Empty");
}

TEST_F(NoteSearch, AResultDoubleClickedOrEnteredLeadsToItsDayAndNote) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    ASSERT_EQ(Search("e"), "05.01.25 Dentist at 10\r\n\r\n"
                           "17.03.25 Call MOM\r\nabout Easter\r\n\r\n"
                           "01.04.26 dentist again\r\n\r\n");
    // A double-click on the second line of the second result.
    const LRESULT at = ::SendMessageW(m_app.Notes(), EM_POSFROMCHAR, 46, 0);
    const LPARAM point = MAKELPARAM(LOWORD(at) + 2, HIWORD(at) + 2);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
        ASSERT_TRUE(m_app.Post(m_app.Notes(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, point));
    }
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == "Call MOM\r\nabout Easter"; }));
    SDate selected;
    ASSERT_TRUE(m_app.GetCurSel(selected));
    EXPECT_EQ(selected, (SDate{2025, 3, 17}));
    EXPECT_FALSE(::IsWindowVisible(m_app.Search()));

    // Enter on the last result.
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    ASSERT_TRUE(m_app.Drain());
    ::SendMessageW(m_app.Notes(), EM_SETSEL, 70, 70);
    ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_KEYDOWN, VK_RETURN, 0));
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == "dentist again"; }));
    ASSERT_TRUE(m_app.GetCurSel(selected));
    EXPECT_EQ(selected, (SDate{2026, 4, 1}));
}

TEST_F(NoteSearch, EnteringTheSearchRoomStoresTheDayNoteAndSearchesTheOldText) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    EXPECT_EQ(Search("fresh"), "Empty");
    ASSERT_TRUE(m_app.ClickTab(kRoomDynamic));
    ASSERT_TRUE(m_app.SetNotesText("Fresh idea"));
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    EXPECT_EQ(m_app.Text(m_app.Search()), "fresh");
    EXPECT_EQ(m_app.NotesText(),
              FormatDayDate(SDay{KeyOf(Today()), ""}, 0, ".") + " Fresh idea\r\n\r\n");
}

// Ten years of daily notes of 20 to 400 bytes, with blanks, hyphens and tabs to wrap at.
DayArray TenYears() {
    static const int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    DayArray days;
    int i = 0;
    for (int year = 16; year <= 25; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int last = kMonthDays[month - 1] + (month == 2 && year % 4 == 0 ? 1 : 0);
            for (int day = 1; day <= last; ++day, ++i) {
                char key[7];
                std::snprintf(key, sizeof key, "%02d%02d%02d", day, month, year);
                std::string note = "note " + std::to_string(i) + (i % 2 ? " apple" : " pear");
                for (int word = i % 37; word > 0; --word) {
                    note += word % 5 == 0 ? " follow-up\tcall" : " the tomorrow";
                }
                days.push_back({key, note});
            }
        }
    }
    return days;
}

RECT ClientRect(HWND window) {
    RECT rect{};
    ::GetClientRect(window, &rect);
    return rect;
}

std::string ClipboardText() {
    std::string text;
    if (::OpenClipboard(nullptr)) {
        const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
        const char16_t* units =
            data != nullptr ? static_cast<const char16_t*>(::GlobalLock(data)) : nullptr;
        if (units != nullptr) {
            text = Utf16ToUtf8(units);
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
    }
    return text;
}

bool SetClipboardText(const std::string& text) {
    const std::u16string units = Utf8ToUtf16(text);
    const size_t bytes = (units.size() + 1) * sizeof(char16_t);
    const HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (data == nullptr || !::OpenClipboard(nullptr)) {
        return false;
    }
    std::memcpy(::GlobalLock(data), units.c_str(), bytes);
    ::GlobalUnlock(data);
    const bool set = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, data) != nullptr;
    ::CloseClipboard();
    return set;
}

using EveryScript = QuilletTest;

// Characters outside the code page, typed a UTF-16 unit at a time as a keyboard sends them and
// pasted, are what the box shows, what the file keeps (behind a mark) and what a restart shows;
// a search in capitals finds them; code-page notes keep the bytes an older Quillet wrote.
TEST_F(EveryScript, TypedAndPastedTextIsKeptFoundAndStoredOnlyWhereItMustBeOtherwise) {
    const std::string older = std::string("\x09") + "Caf\xE9 list" + std::string("\x01\0\0\0", 4) +
                              "\x06"
                              "010126"
                              "\x09"
                              "na\xEFve \x80 5";
    ASSERT_TRUE(SeedBytes(m_paths.notes, older));
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadFileBytes(m_paths.notes), older);
    EXPECT_EQ(ReadFileBytes(m_paths.notesBackup), older);

    const SDate day = OtherDayThisMonth();
    ASSERT_TRUE(m_app.SelectDay(day));
    // "Café Привет 😀 日本 done", then " Καλημέρα" pasted.
    const std::string typed = "Caf\xC3\xA9 \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 "
                              "\xF0\x9F\x98\x80 \xE6\x97\xA5\xE6\x9C\xAC done";
    const std::string pasted = " \xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1";
    for (const char16_t unit : Utf8ToUtf16(typed)) {
        ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_CHAR, unit, 0));
    }
    ASSERT_TRUE(m_app.Drain());
    EXPECT_EQ(m_app.NotesText(), typed);
    ASSERT_TRUE(SetClipboardText(pasted));
    ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_PASTE, 0, 0));
    ASSERT_TRUE(m_app.Drain());
    const std::string note = typed + pasted;
    EXPECT_EQ(m_app.NotesText(), note);

    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    const std::string saved = ReadFileBytes(m_paths.notes);
    EXPECT_NE(saved.find("\xEF\xBB\xBF" + note), std::string::npos) << "not behind a mark";
    EXPECT_NE(saved.find("na\xEFve \x80 5"), std::string::npos) << "a code-page note changed";
    ASSERT_TRUE(ExitQuillet());
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SelectDay(day));
    EXPECT_EQ(m_app.NotesText(), note);

    const std::string key = KeyOf(day);
    const std::string line =
        key.substr(0, 2) + "." + key.substr(2, 2) + "." + key.substr(4) + " " + note + "\r\n\r\n";
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    for (const char* capitals :
         {"\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2",
          "\xCE\x9A\xCE\x91\xCE\x9B\xCE\x97\xCE\x9C\xCE\x88\xCE\xA1\xCE\x91", "CAFE \xD0\xBF"}) {
        EXPECT_TRUE(m_app.SetText(m_app.Search(), capitals));
        EXPECT_EQ(m_app.NotesText(), line) << capitals;
    }
    // Enter just inside the second result leads to its day, whatever the first one holds.
    EXPECT_TRUE(m_app.SetText(m_app.Search(), ""));
    const WPARAM second = Utf16Length("01.01.26 na\xC3\xAFve \xE2\x82\xAC 5\r\n\r\n") + 1;
    ::SendMessageW(m_app.Notes(), EM_SETSEL, second, static_cast<LPARAM>(second));
    ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_KEYDOWN, VK_RETURN, 0));
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == note; }));
}

TEST_F(NoteSearch, LongResultsShowWholeAtOnceLikeTheBoxAndLeadToTheirDays) {
    const DayArray days = TenYears();
    const std::string all = SearchNotes("e", days);
    // The every-day room shows the result's first entries as the box itself draws them.
    size_t firstEntries = 0;
    for (int entry = 0; entry < 40; ++entry) {
        firstEntries = all.find("\r\n\r\n", firstEntries) + 4;
    }
    ASSERT_TRUE(SeedNotes(days, all.substr(0, firstEntries), m_paths.notes));
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.ClickTab(kRoomStatic));
    ASSERT_TRUE(m_app.Drain());
    // With the caret on and off: the box has the focus there.
    std::vector<std::vector<COLORREF>> box;
    for (int shot = 0; shot < 24; ++shot, ::Sleep(50)) {
        const std::vector<COLORREF> pixels =
            CScreenShot(m_app.Notes(), ClientRect(m_app.Notes())).Pixels();
        if (std::find(box.begin(), box.end(), pixels) == box.end()) {
            box.push_back(pixels);
        }
    }
    const LONG boxWidth = ClientRect(m_app.Notes()).right;
    // Where the box's own lines start, to be given the same by the result.
    std::vector<LRESULT> lineStarts;
    const LRESULT boxLines = ::SendMessageW(m_app.Notes(), EM_GETLINECOUNT, 0, 0);
    for (LRESULT line = 0; line + 1 < boxLines; ++line) {
        lineStarts.push_back(::SendMessageW(m_app.Notes(), EM_LINEINDEX, line, 0));
    }

    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    const auto typed = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_app.SetText(m_app.Search(), "e"));
    EXPECT_TRUE(WaitUntil([&] {
        return static_cast<size_t>(::SendMessageW(m_app.Notes(), WM_GETTEXTLENGTH, 0, 0)) ==
               all.size();
    }));
    EXPECT_LE(std::chrono::steady_clock::now() - typed, Millis(100))
        << "the whole result came late";
    EXPECT_EQ(m_app.NotesText(), all);
    const RECT view = ClientRect(m_app.Notes());
    ASSERT_EQ(view.right, boxWidth);
    for (size_t line = 0; line < lineStarts.size(); ++line) {
        ASSERT_EQ(::SendMessageW(m_app.Notes(), EM_LINEINDEX, line, 0), lineStarts[line]) << line;
        ASSERT_EQ(::SendMessageW(m_app.Notes(), EM_LINEFROMCHAR, lineStarts[line], 0),
                  static_cast<LRESULT>(line));
    }
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::vector<COLORREF> shown = CScreenShot(m_app.Notes(), view).Pixels();
            return std::any_of(box.begin(), box.end(), [&](const std::vector<COLORREF>& look) {
                return std::equal(shown.begin(), shown.end(), look.begin());
            });
        },
        Millis(3000)))
        << "the result does not look like the box";

    // A narrower box (a new font or scale does this), Ctrl+End, then a double-click on the
    // last result.
    RECT outer{};
    ::GetWindowRect(m_app.Notes(), &outer);
    ASSERT_TRUE(::SetWindowPos(m_app.Notes(), nullptr, 0, 0, outer.right - outer.left - 40,
                               outer.bottom - outer.top,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_LT(ClientRect(m_app.Notes()).right, view.right);
    ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)));
    ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5)));
    ASSERT_TRUE(m_app.Drain());
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_CONTROL, VK_END}));
    DWORD start = 0;
    DWORD end = 0;
    EXPECT_TRUE(WaitUntil([&] {
        ::SendMessageW(m_app.Notes(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        return start == all.size() && end == all.size();
    }));
    // The last line of text before the blank one.
    const LRESULT at = ::SendMessageW(m_app.Notes(), EM_POSFROMCHAR, all.size() - 6, 0);
    const LPARAM point = MAKELPARAM(LOWORD(at) + 2, HIWORD(at) + 2);
    ASSERT_LT(static_cast<short>(HIWORD(at)), view.bottom) << "the end is not in view";
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
        ASSERT_TRUE(m_app.Post(m_app.Notes(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, point));
    }
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == days.back().strNote; }));
    SDate selected;
    ASSERT_TRUE(m_app.GetCurSel(selected));
    EXPECT_EQ(selected, (SDate{2025, 12, 31}));

    // Ctrl+A, Ctrl+C copies the whole result; a new key shows its own.
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)));
    ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5)));
    ASSERT_TRUE(m_app.Drain());
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_CONTROL, 'A'}));
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_CONTROL, 'C'}));
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == all; })) << "the copy is not whole";
    ASSERT_TRUE(m_app.SetText(m_app.Search(), "apple"));
    EXPECT_EQ(m_app.NotesText(), SearchNotes("apple", days));

    // Leaving the room stores nothing of it.
    ASSERT_TRUE(m_app.ClickTab(kRoomDynamic));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadFileBytes(m_paths.notes), SerializeNotes(days, all.substr(0, firstEntries)));
}

} // namespace
} // namespace e2e
