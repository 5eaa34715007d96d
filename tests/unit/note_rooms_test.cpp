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
    void ShowSearchResults(const std::string& text) override {
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
        rooms.m_arrDays = {{"061226", "sixth"}, {"071226", "seventh"}};
        rooms.m_strEveryDay = "every day";
        rooms.m_strCurDay = "071226";
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

    EXPECT_EQ(GetDayNote("071226", rooms.m_arrDays), "seventh, edited");
    EXPECT_EQ(view.notes, "");
    EXPECT_EQ(view.caret, ECaret::End);
    EXPECT_EQ(rooms.m_strCurDay, "081226");
    EXPECT_GE(view.markRefreshes, 1);

    // Clearing the note and moving on removes the day.
    view.notes = " \r\n ";
    view.selectedDay = "061226";
    rooms.OnSelChangeCalendar(room);
    EXPECT_EQ(view.notes, "sixth");
    view.notes = "";
    view.selectedDay = "071226";
    rooms.OnSelChangeCalendar(room);
    EXPECT_EQ(rooms.m_arrDays, (DayArray{{"071226", "seventh, edited"}}));
}

TEST_F(NoteRoomsTest, ImportReplacesTheNotesWithoutCommittingAndShowsTheSelectedDay) {
    rooms.SwitchRoom(kRoomDynamic);
    view.notes = "typed, never stored";
    view.selectedDay = "011226";
    const int refreshes = view.markRefreshes;
    rooms.ReplaceNotes({{"011226", "first"}, {"071226", "imported"}}, "imported every day",
                       kRoomDynamic);
    EXPECT_EQ(view.notes, "first");
    EXPECT_EQ(view.caret, ECaret::End);
    EXPECT_EQ(view.markRefreshes, refreshes + 1);
    EXPECT_EQ(GetDayNote("071226", rooms.m_arrDays), "imported");
    EXPECT_EQ(rooms.m_strEveryDay, "imported every day");
    EXPECT_EQ(rooms.m_strCurDay, "071226") << "the day the box belongs to is kept";
}

TEST_F(NoteRoomsTest, DayChangeOutsideTheDynamicRoomIsIgnored) {
    Click(kRoomStatic);
    view.notes = "every day, edited";
    view.selectedDay = "081226";
    rooms.OnSelChangeCalendar(room);
    EXPECT_EQ(rooms.m_strCurDay, "071226");
    EXPECT_EQ(view.notes, "every day, edited");
    EXPECT_EQ(rooms.m_arrDays.size(), 2u);
}

TEST_F(NoteRoomsTest, LeavingARoomCommitsExactlyItsOwnText) {
    rooms.SwitchRoom(kRoomDynamic);
    view.notes = "typed in A";
    Click(kRoomStatic);
    EXPECT_EQ(GetDayNote("071226", rooms.m_arrDays), "typed in A");
    EXPECT_EQ(view.notes, "every day");
    EXPECT_EQ(view.caret, ECaret::Start);

    view.notes = "typed in B";
    Click(kRoomSearch);
    EXPECT_EQ(rooms.m_strEveryDay, "typed in B");
    EXPECT_TRUE(view.searchVisible);
    EXPECT_TRUE(view.searchFocused);
    EXPECT_EQ(view.notes, "06.12.26 sixth\r\n\r\n07.12.26 typed in A\r\n\r\n");

    view.notes = "edited results";
    Click(kRoomDynamic);
    EXPECT_EQ(GetDayNote("071226", rooms.m_arrDays), "typed in A");
    EXPECT_EQ(rooms.m_strEveryDay, "typed in B");
    EXPECT_FALSE(view.searchVisible);
    EXPECT_EQ(view.notes, "typed in A");
    EXPECT_EQ(view.caret, ECaret::End);
    EXPECT_EQ(rooms.m_arrDays.size(), 2u);
}

TEST_F(NoteRoomsTest, SwitchingToTheShownRoomOnlyLaysOutAndRedraws) {
    rooms.SwitchRoom(kRoomStatic);
    view.notes = "not committed yet";
    const int redraws = view.redraws;
    rooms.SwitchRoom(kRoomStatic);
    EXPECT_EQ(view.notes, "not committed yet");
    EXPECT_EQ(rooms.m_strEveryDay, "every day");
    EXPECT_EQ(view.layouts.back(), kRoomStatic);
    EXPECT_EQ(view.redraws, redraws + 1);
}

TEST_F(NoteRoomsTest, CommitNoteAreaFollowsTheRoom) {
    view.notes = "text";
    rooms.CommitNoteArea(kRoomSearch);
    EXPECT_EQ(rooms.m_arrDays.size(), 2u);
    EXPECT_EQ(rooms.m_strEveryDay, "every day");

    rooms.CommitNoteArea(kRoomStatic);
    EXPECT_EQ(rooms.m_strEveryDay, "text");

    rooms.CommitNoteArea(kRoomDynamic);
    EXPECT_EQ(GetDayNote("071226", rooms.m_arrDays), "text");

    rooms.CommitNoteArea(7);
    EXPECT_EQ(rooms.m_arrDays.size(), 2u);
}

TEST_F(NoteRoomsTest, RestoreRoomNeverStartsInSearch) {
    int stored = kRoomSearch;
    rooms.RestoreRoom(stored);
    EXPECT_EQ(stored, kRoomDynamic);
    EXPECT_EQ(rooms.m_nShownRoom, kRoomDynamic);
    EXPECT_EQ(view.notes, "seventh");
}

TEST_F(NoteRoomsTest, RestoreRoomOpensTheEveryDayNote) {
    int stored = kRoomStatic;
    rooms.RestoreRoom(stored);
    EXPECT_EQ(stored, kRoomStatic);
    EXPECT_EQ(view.notes, "every day");
}

TEST_F(NoteRoomsTest, UnknownStoredRoomLeavesTheAreaAloneUntilATabIsClicked) {
    int stored = 5;
    rooms.RestoreRoom(stored);
    EXPECT_EQ(stored, 5);
    EXPECT_EQ(rooms.m_nShownRoom, -1);
    EXPECT_TRUE(view.layouts.empty());
    EXPECT_EQ(view.notes, "");

    view.notes = "ignored";
    rooms.OnSelChangeCalendar(stored);
    rooms.CommitNoteArea(stored);
    EXPECT_EQ(GetDayNote("071226", rooms.m_arrDays), "seventh");
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

    // Outside the Search room a change of the hidden box never replaces the note in the box.
    Click(kRoomDynamic);
    view.search = "nothing like it";
    rooms.OnChangeSearch();
    rooms.RunDueSearch();
    EXPECT_EQ(view.notes, "seventh");
}

// A note the box cannot hold exactly keeps its bytes, and an array out of order stays as loaded,
// as long as the user only looks.
TEST_F(NoteRoomsTest, BrowsingWithoutEditingStoresNothing) {
    const DayArray loaded{
        {"081226", std::string("cut\0off", 7)}, {"071226", "seventh"}, {"081226", "duplicate"}};
    rooms.m_arrDays = loaded;
    rooms.m_strEveryDay = std::string("every\0day", 9);
    view.stopsAtZero = true;
    view.selectedDay = "081226";
    rooms.SwitchRoom(kRoomDynamic);
    rooms.m_strCurDay = "081226";
    EXPECT_EQ(view.notes, "cut");
    view.selectedDay = "071226";
    rooms.OnSelChangeCalendar(room);
    Click(kRoomStatic);
    Click(kRoomSearch);
    Click(kRoomDynamic);
    rooms.CommitNoteArea(room);
    EXPECT_EQ(rooms.m_arrDays, loaded);
    EXPECT_EQ(rooms.m_strEveryDay, std::string("every\0day", 9));

    // Any change of the text counts, however it came.
    view.notes = "seventh, edited";
    rooms.CommitNoteArea(room);
    EXPECT_EQ(GetDayNote("071226", rooms.m_arrDays), "seventh, edited");
}

} // namespace
