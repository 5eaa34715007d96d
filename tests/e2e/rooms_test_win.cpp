// The notes edit as the working copy of three rooms: what a day change or a room change commits,
// the bold noted days, and the search room.
#include "quillet_test_win.h"

#include <oleacc.h>

#include "notes/search.h"

#include <cstdio>

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
    ::SendMessageTimeoutA(app.Notes(), EM_GETSEL, 0, 0, SMTO_NORMAL, 5000, &selection);
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
    EXPECT_EQ(ReadBytes(m_paths.notes), SerializeNotes(FirstRunDays(), FirstRunEveryDay()));

    ASSERT_TRUE(m_app.SetNotesText("edited again"));
    ASSERT_TRUE(m_app.ClickTab(kRoomDynamic));
    EXPECT_EQ(m_app.NotesText(), "My first note...");
    EXPECT_FALSE(::IsWindowVisible(m_app.Search()));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadBytes(m_paths.notes), SerializeNotes(FirstRunDays(), FirstRunEveryDay()));
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
    EXPECT_EQ(::SendMessageA(m_app.Search(), EM_GETSEL, 0, 0), MAKELRESULT(0, 3));
    // Tab and Shift+Tab go between the boxes shown; the notes box types no tab.
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_SHIFT, VK_TAB}));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(m_app.Main()) == m_app.Notes(); }));
    const std::string results = m_app.NotesText();
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_TAB}));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(m_app.Main()) == m_app.Search(); }));
    EXPECT_EQ(m_app.NotesText(), results);

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
        const auto menu = reinterpret_cast<HMENU>(::SendMessageA(shown, MN_GETHMENU, 0, 0));
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
    const LRESULT at = ::SendMessageA(m_app.Notes(), EM_POSFROMCHAR, 46, 0);
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
    ::SendMessageA(m_app.Notes(), EM_SETSEL, 70, 70);
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

// A notebook whose full listing is far more than the box shows at once, but within the bound.
DayArray LargeNotebook() {
    DayArray days;
    for (int i = 0; i < 600; ++i) {
        const int day = 1 + i % 28;
        const int month = 1 + (i / 28) % 12;
        const int year = 10 + i / (28 * 12);
        char key[7];
        std::snprintf(key, sizeof key, "%02d%02d%02d", day, month, year);
        days.push_back({key, "note " + std::to_string(i) + (i % 2 ? " apple " : " pear ") +
                                 std::string(static_cast<size_t>(60 + i % 90), 'x')});
    }
    return days;
}

TEST_F(NoteSearch, LongResultsArriveWholeAndANewKeyOrLeavingTheRoomDropsThem) {
    const DayArray days = LargeNotebook();
    ASSERT_TRUE(SeedNotes(days, "every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    const std::string all = SearchNotes("", days);
    ASSERT_GT(all.size(), 50000u);
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == all; }))
        << "the listing never became the whole result";

    // A key during the fill: the newer text wins.
    ASSERT_TRUE(m_app.SetText(m_app.Search(), "apple"));
    ASSERT_TRUE(m_app.SetText(m_app.Search(), "pear"));
    const std::string pears = SearchNotes("pear", days);
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == pears; }));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_EQ(m_app.NotesText(), pears);

    // Leaving the room during a fill stores nothing of it.
    ASSERT_TRUE(m_app.SetText(m_app.Search(), ""));
    ASSERT_TRUE(m_app.ClickTab(kRoomDynamic));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadBytes(m_paths.notes), SerializeNotes(days, "every day"));
}

} // namespace
} // namespace e2e
