#include "notes/note_rooms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The window side of the note area, recorded so the room rules can be checked without a window.
class FakeNoteArea : public INoteAreaView {
public:
    std::string GetNotesText() const override { return notes; }
    void SetNotesText(const std::string& text, ECaret how) override {
        notes = stopsAtZero ? text.substr(0, text.find('\0')) : text;
        caret = how;
    }
    void ShowSearchResults(std::string text) override {
        SetNotesText(text, ECaret::Keep);
        ++searches;
    }
    std::string GetSearchText() const override { return search; }
    void LayoutRoom(int room) override { layouts.push_back(room); }
    void ShowSearchBox(bool show, bool focus) override {
        searchVisible = show;
        searchFocused = focus;
    }
    std::string GetSelDayKey() const override { return selectedDay; }
    void MarkNotedDays() override { ++markRefreshes; }
    void RedrawWindow() override { ++redraws; }

    std::string notes;
    std::string search;
    std::string selectedDay = "071226";
    ECaret caret = ECaret::Keep;
    bool searchVisible = false;
    bool searchFocused = false;
    std::vector<int> layouts;
    int markRefreshes = 0;
    int redraws = 0;
    int searches = 0;
    // Like an edit box, the fake holds a text only up to its first zero byte.
    bool stopsAtZero = false;
};

class NoteRoomsTest : public ::testing::Test {
protected:
    void SetUp() override {
        rooms.SetNotes({{{"061226", "sixth"}, {"071226", "seventh"}}, "every day"});
    }
    // A tab click: the stored room changes, then the switch.
    void Click(int target) {
        room = target;
        rooms.SwitchRoom(target);
    }

    FakeNoteArea view;
    CNoteRooms rooms{view};
    int room = kRoomDynamic;
};

TEST_F(NoteRoomsTest, DayChangeStoresThePreviousDayAndShowsTheNewOne) {
    rooms.SwitchRoom(kRoomDynamic);
    view.notes = "seventh, edited";
    view.selectedDay = "081226";
    rooms.OnSelChangeCalendar(room);

    EXPECT_EQ(GetDayNote("071226", rooms.Notes().days), "seventh, edited");
    EXPECT_EQ(view.notes, "");
    EXPECT_EQ(view.caret, ECaret::End);
    EXPECT_GE(view.markRefreshes, 1);
    view.notes = "eighth";
    rooms.CommitNoteArea(kRoomDynamic);
    EXPECT_EQ(GetDayNote("081226", rooms.Notes().days), "eighth") << "the box is the new day's";

    // Clearing the note and moving on removes the day.
    view.notes = " \r\n ";
    view.selectedDay = "061226";
    rooms.OnSelChangeCalendar(room);
    EXPECT_EQ(view.notes, "sixth");
    view.notes = "";
    view.selectedDay = "071226";
    rooms.OnSelChangeCalendar(room);
    EXPECT_EQ(rooms.Notes().days, (DayArray{{"071226", "seventh, edited"}}));
}

TEST_F(NoteRoomsTest, ImportReplacesTheNotesWithoutCommittingAndShowsTheRoomsNewText) {
    rooms.SwitchRoom(kRoomDynamic);
    view.notes = "typed, never stored";
    view.selectedDay = "011226";
    const int refreshes = view.markRefreshes;
    rooms.ReplaceNotes({{{"011226", "first"}, {"071226", "imported"}}, "imported every day"},
                       kRoomDynamic);
    EXPECT_EQ(view.notes, "first");
    EXPECT_EQ(view.caret, ECaret::End);
    EXPECT_EQ(view.markRefreshes, refreshes + 1);
    EXPECT_EQ(GetDayNote("071226", rooms.Notes().days), "imported");
    EXPECT_EQ(rooms.Notes().everyDay, "imported every day");
    view.notes = "first, edited";
    rooms.CommitNoteArea(kRoomDynamic);
    EXPECT_EQ(GetDayNote("011226", rooms.Notes().days), "first, edited")
        << "the box belongs to the day it shows";

    // In the search room the search runs again: no entry leads to a day of the old notes.
    view.search = "imp";
    Click(kRoomSearch);
    ASSERT_EQ(view.notes, "07.12.26 imported\r\n\r\n");
    rooms.ReplaceNotes({{{"011226", "first"}, {"021226", "imported again"}}, ""}, kRoomSearch);
    EXPECT_EQ(view.notes, "02.12.26 imported again\r\n\r\n");
    EXPECT_EQ(rooms.ResultDayAt(0), "021226");
}

TEST_F(NoteRoomsTest, DayChangeOutsideTheDynamicRoomIsIgnored) {
    rooms.SwitchRoom(kRoomDynamic);
    Click(kRoomStatic);
    view.notes = "every day, edited";
    view.selectedDay = "081226";
    rooms.OnSelChangeCalendar(room);
    EXPECT_EQ(view.notes, "every day, edited");
    EXPECT_EQ(rooms.Notes().days.size(), 2u);
}

TEST_F(NoteRoomsTest, LeavingARoomCommitsExactlyItsOwnText) {
    rooms.SwitchRoom(kRoomDynamic);
    view.notes = "typed in A";
    Click(kRoomStatic);
    EXPECT_EQ(GetDayNote("071226", rooms.Notes().days), "typed in A");
    EXPECT_EQ(view.notes, "every day");
    EXPECT_EQ(view.caret, ECaret::Start);

    view.notes = "typed in B";
    Click(kRoomSearch);
    EXPECT_EQ(rooms.Notes().everyDay, "typed in B");
    EXPECT_TRUE(view.searchVisible);
    EXPECT_TRUE(view.searchFocused);
    EXPECT_EQ(view.notes, "06.12.26 sixth\r\n\r\n07.12.26 typed in A\r\n\r\n");

    view.notes = "edited results";
    Click(kRoomDynamic);
    EXPECT_EQ(GetDayNote("071226", rooms.Notes().days), "typed in A");
    EXPECT_EQ(rooms.Notes().everyDay, "typed in B");
    EXPECT_FALSE(view.searchVisible);
    EXPECT_EQ(view.notes, "typed in A");
    EXPECT_EQ(view.caret, ECaret::End);
    EXPECT_EQ(rooms.Notes().days.size(), 2u);
}

TEST_F(NoteRoomsTest, SwitchingToTheShownRoomOnlyLaysOutAndRedraws) {
    rooms.SwitchRoom(kRoomStatic);
    view.notes = "not committed yet";
    const int redraws = view.redraws;
    rooms.SwitchRoom(kRoomStatic);
    EXPECT_EQ(view.notes, "not committed yet");
    EXPECT_EQ(rooms.Notes().everyDay, "every day");
    EXPECT_EQ(view.layouts.back(), kRoomStatic);
    EXPECT_EQ(view.redraws, redraws + 1);
}

// Only text put into the box for a room goes back to it: search results, or the text of a room
// left half switched by an error, never become a note.
TEST_F(NoteRoomsTest, CommitNoteAreaStoresOnlyTheTextOfTheRoomTheBoxWasFilledFor) {
    Click(kRoomStatic);
    view.notes = "text";
    rooms.CommitNoteArea(kRoomSearch);
    rooms.CommitNoteArea(kRoomDynamic);
    rooms.CommitNoteArea(7);
    EXPECT_EQ(rooms.Notes().days.size(), 2u);
    EXPECT_EQ(GetDayNote("071226", rooms.Notes().days), "seventh");
    rooms.CommitNoteArea(kRoomStatic);
    EXPECT_EQ(rooms.Notes().everyDay, "text");

    Click(kRoomSearch);
    view.notes = "06.12.26 edited results";
    rooms.CommitNoteArea(kRoomDynamic);
    rooms.CommitNoteArea(kRoomStatic);
    EXPECT_EQ(rooms.Notes().everyDay, "text");
    EXPECT_EQ(GetDayNote("071226", rooms.Notes().days), "seventh");
}

// The box stores to the day it was filled for, whatever day it is when the first commit comes
// (filled at 23:59:59, committed at 00:00:01 when the day's key would come from the clock).
TEST_F(NoteRoomsTest, TheBoxStoresToTheDayItWasFilledFor) {
    rooms.SetNotes({{{"071226", "seventh"}, {"081226", "eighth"}}, ""});
    rooms.SwitchRoom(kRoomDynamic);
    view.selectedDay = "081226";
    rooms.CommitNoteArea(kRoomDynamic);
    EXPECT_EQ(GetDayNote("081226", rooms.Notes().days), "eighth");
    view.notes = "seventh, typed";
    rooms.CommitNoteArea(kRoomDynamic);
    EXPECT_EQ(GetDayNote("071226", rooms.Notes().days), "seventh, typed");
    EXPECT_EQ(GetDayNote("081226", rooms.Notes().days), "eighth");
}

TEST_F(NoteRoomsTest, NotesChangedElsewhereReachTheBoxOnlyWhereItsTextChanged) {
    rooms.SwitchRoom(kRoomDynamic);
    view.notes = "seventh, mine";
    rooms.CommitNoteArea(kRoomDynamic);
    view.caret = ECaret::End;
    const int refreshes = view.markRefreshes;
    rooms.AdoptNotes({{{"071226", "seventh, mine"}, {"091226", "ninth"}}, "every day"});
    EXPECT_EQ(view.markRefreshes, refreshes + 1);
    EXPECT_EQ(view.caret, ECaret::End) << "the box was refilled with the same text";

    rooms.AdoptNotes({{{"071226", "seventh, mine\r\n--\r\ntheirs"}}, "every day"});
    EXPECT_EQ(view.notes, "seventh, mine\r\n--\r\ntheirs");
    EXPECT_EQ(view.caret, ECaret::Keep);
    view.notes += " more";
    rooms.CommitNoteArea(kRoomDynamic);
    EXPECT_EQ(GetDayNote("071226", rooms.Notes().days), "seventh, mine\r\n--\r\ntheirs more");

    Click(kRoomSearch);
    const int searches = view.searches;
    rooms.AdoptNotes({{{"071226", "changed again"}}, "every day"});
    EXPECT_TRUE(rooms.SearchDue());
    rooms.RunDueSearch();
    EXPECT_EQ(view.searches, searches + 1);
}

TEST_F(NoteRoomsTest, RestoreRoomNeverStartsInSearch) {
    int stored = kRoomSearch;
    stored = rooms.RestoreRoom(stored);
    EXPECT_EQ(stored, kRoomDynamic);
    EXPECT_EQ(view.notes, "seventh");
    view.notes = "seventh, typed";
    rooms.SwitchRoom(kRoomDynamic);
    EXPECT_EQ(view.notes, "seventh, typed") << "already the shown room: not filled again";
}

TEST_F(NoteRoomsTest, RestoreRoomOpensTheEveryDayNote) {
    int stored = kRoomStatic;
    stored = rooms.RestoreRoom(stored);
    EXPECT_EQ(stored, kRoomStatic);
    EXPECT_EQ(view.notes, "every day");
}

TEST_F(NoteRoomsTest, UnknownStoredRoomLeavesTheAreaAloneUntilATabIsClicked) {
    int stored = 5;
    stored = rooms.RestoreRoom(stored);
    EXPECT_EQ(stored, 5);
    EXPECT_TRUE(view.layouts.empty());
    EXPECT_EQ(view.notes, "");

    view.notes = "ignored";
    rooms.OnSelChangeCalendar(stored);
    rooms.CommitNoteArea(stored);
    EXPECT_EQ(GetDayNote("071226", rooms.Notes().days), "seventh");
}

TEST_F(NoteRoomsTest, ABurstOfSearchChangesCostsOneSearchWithTheLatestText) {
    Click(kRoomSearch);
    const int searches = view.searches;
    view.search = "SIX";
    rooms.OnChangeSearch();
    view.search = "SIXTH";
    rooms.OnChangeSearch();
    EXPECT_TRUE(rooms.SearchDue());
    rooms.RunDueSearch();
    EXPECT_EQ(view.notes, "06.12.26 sixth\r\n\r\n");
    EXPECT_EQ(view.searches, searches + 1);
    rooms.RunDueSearch();
    EXPECT_EQ(view.searches, searches + 1);

    // Each result leads to its day, from its first character to the last of its blank line.
    view.search = "th";
    rooms.OnChangeSearch();
    rooms.RunDueSearch();
    ASSERT_EQ(view.notes, "06.12.26 sixth\r\n\r\n07.12.26 seventh\r\n\r\n");
    EXPECT_EQ(rooms.ResultDayAt(0), "061226");
    EXPECT_EQ(rooms.ResultDayAt(17), "061226");
    EXPECT_EQ(rooms.ResultDayAt(18), "071226");
    EXPECT_EQ(rooms.ResultDayAt(500), "071226");

    // Outside the Search room a change of the hidden box never replaces the note in the box.
    Click(kRoomDynamic);
    view.search = "nothing like it";
    rooms.OnChangeSearch();
    rooms.RunDueSearch();
    EXPECT_EQ(view.notes, "seventh");
    EXPECT_EQ(rooms.ResultDayAt(0), "") << "a day's note is no result";
}

// A note the box cannot hold exactly keeps its bytes, and an array out of order stays as loaded,
// as long as the user only looks.
TEST_F(NoteRoomsTest, BrowsingWithoutEditingStoresNothing) {
    const DayArray loaded{
        {"081226", std::string("cut\0off", 7)}, {"071226", "seventh"}, {"081226", "duplicate"}};
    rooms.SetNotes({loaded, std::string("every\0day", 9)});
    view.stopsAtZero = true;
    view.selectedDay = "081226";
    rooms.SwitchRoom(kRoomDynamic);
    EXPECT_EQ(view.notes, "cut");
    view.selectedDay = "071226";
    rooms.OnSelChangeCalendar(room);
    Click(kRoomStatic);
    Click(kRoomSearch);
    Click(kRoomDynamic);
    rooms.CommitNoteArea(room);
    EXPECT_EQ(rooms.Notes().days, loaded);
    EXPECT_EQ(rooms.Notes().everyDay, std::string("every\0day", 9));

    // Any change of the text counts, however it came.
    view.notes = "seventh, edited";
    rooms.CommitNoteArea(room);
    EXPECT_EQ(GetDayNote("071226", rooms.Notes().days), "seventh, edited");
}

} // namespace
