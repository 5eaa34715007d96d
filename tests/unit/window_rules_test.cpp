// Layout, themes, window regions and command routing of the main window.
#include "base/layout.h"
#include "render/themes.h"
#include "ui/commands.h"
#include "ui/keys.h"
#include "ui/links.h"
#include "ui/popup_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(Layout, RescalingRoundsHalvesAwayFromZeroAsTheSystemDoes) {
    // 144/96 = 1.5: 1 -> 1.5 -> 2, -1 -> -1.5 -> -2, 3 -> 4.5 -> 5; 120/96: 2 -> 2.5 -> 3.
    EXPECT_EQ(RescaleRect(SRect{1, -1, 3, 0}, 96, 144), (SRect{2, -2, 5, 0}));
    EXPECT_EQ(RescaleRect(SRect{2, -2, 215, 281}, 96, 120), (SRect{3, -3, 269, 351}));
    EXPECT_EQ(RescaleRect(SRect{3, -3, 269, 351}, 120, 96), (SRect{2, -2, 215, 281}));
}

TEST(Layout, RoomsAndTabsHangOffTheNotesHome) {
    const SLayout l = ComputeLayout(SRect{0, 0, 215, 281}, SRect{6, 185, 209, 263});
    EXPECT_EQ(l.rcTitle, (SRect{0, 0, 215, 23}));
    EXPECT_EQ(l.rcMenuButton, (SRect{0, 0, 17, 24}));
    EXPECT_EQ(l.rcNotesStatic, (SRect{6, 29, 209, 263}));
    EXPECT_EQ(l.rcNotesSearch, (SRect{6, 59, 209, 263}));
    EXPECT_EQ(l.rcSearchBox, (SRect{6, 29, 209, 51}));
    EXPECT_EQ(l.rcTabDynamic, (SRect{6, 263, 66, 278}));
    EXPECT_EQ(l.rcTabStatic, (SRect{68, 263, 128, 278}));
    EXPECT_EQ(l.rcTabSearch, (SRect{130, 263, 190, 278}));
}

TEST(Layout, AtTwiceTheDpiEveryMeasureDoubles) {
    const auto twice = [](const SRect& r) {
        return SRect{2 * r.left, 2 * r.top, 2 * r.right, 2 * r.bottom};
    };
    const SRect client{0, 0, 215, 281};
    const SRect home{6, 185, 209, 263};
    const SLayout at96 = ComputeLayout(client, home);
    const SLayout at192 = ComputeLayout(twice(client), twice(home), 192);
    for (const auto member :
         {&SLayout::rcTitle, &SLayout::rcMenuButton, &SLayout::rcNotesStatic,
          &SLayout::rcNotesSearch, &SLayout::rcSearchBox, &SLayout::rcTabDynamic,
          &SLayout::rcTabStatic, &SLayout::rcTabSearch}) {
        EXPECT_EQ(at192.*member, twice(at96.*member));
    }
    EXPECT_EQ(RegionFor(0, 0, 430, 562, 15, 192).rect, (SRect{0, 0, 430, 48}));
    EXPECT_EQ(RegionFor(1, 1, 430, 562, 15, 192).rect, (SRect{0, 0, 431, 592}));
    // 150 % rounds to the nearest pixel, font heights (negative) alike.
    EXPECT_EQ(ScaleToDpi(23, 144), 35);
    EXPECT_EQ(ScaleToDpi(-11, 144), -17);
    EXPECT_EQ(ScaleToDpi(15, 96), 15);
}

// Every pixel the user adds to the window goes to the note area: the rooms' places grow by it, the
// tabs hang under them and the search box spans them, wherever the calendar's growth put them.
TEST(Layout, AWindowMadeLargerGivesEveryExtraPixelToTheNoteArea) {
    const SRect client{0, 0, 215, 281};
    const SRect home{6, 185, 209, 263};
    const auto grownBy = [](const SRect& r, SPoint by) {
        return SRect{r.left, r.top, r.right + by.x, r.bottom + by.y};
    };
    for (const SPoint growth : {SPoint{}, SPoint{21, 9}}) {
        for (const SPoint extra : {SPoint{80, 120}, SPoint{1, 0}, SPoint{0, 57}}) {
            const SLayout least =
                ComputeLayout(grownBy(client, growth), NotesHomeBelowCalendar(home, growth));
            const SLayout l = ComputeLayout(grownBy(least.rcClient, extra),
                                            NotesHomeBelowCalendar(home, growth, extra));
            for (int room = kRoomDynamic; room <= kRoomSearch; ++room) {
                EXPECT_EQ(RoomNotesRect(l, room), grownBy(RoomNotesRect(least, room), extra));
                const SRect tab = RoomTabRect(least, room);
                EXPECT_EQ(RoomTabRect(l, room),
                          (SRect{tab.left, tab.top + extra.y, tab.right, tab.bottom + extra.y}));
            }
            EXPECT_EQ(l.rcSearchBox, grownBy(least.rcSearchBox, SPoint{extra.x, 0}));
            EXPECT_EQ(l.rcTitle, grownBy(least.rcTitle, SPoint{extra.x, 0}));
        }
    }
}

// The chosen size is kept in 96-DPI pixels: at 150 % it comes back to the same pixels, it never
// makes the window smaller than it must be, and a monitor too small for it shrinks it.
TEST(Layout, AChosenWindowSizeScalesAndStaysBetweenTheLeastAndTheMonitor) {
    const SPoint least{323, 422};
    EXPECT_EQ(ChosenWindowSize(SPoint{}, least, SPoint{1024, 768}, 144), least);
    EXPECT_EQ(ChosenWindowSize(SPoint{295, 401}, least, SPoint{}, 144), (SPoint{443, 602}));
    EXPECT_EQ(LogicalSize(SPoint{443, 602}, 144), (SPoint{295, 401}));
    EXPECT_EQ(ChosenWindowSize(SPoint{100, 900}, least, SPoint{1024, 768}, 144),
              (SPoint{323, 768}));
    EXPECT_EQ(ChosenWindowSize(SPoint{900, 900}, least, SPoint{300, 400}, 144), least);
    EXPECT_EQ(LogicalSize(least, 96), least);
}

TEST(Layout, TheWindowSizesFromItsRightAndLowerEdgesButNotFromATab) {
    const SLayout l = ComputeLayout(SRect{0, 0, 215, 281}, SRect{6, 185, 209, 263});
    EXPECT_EQ(SizingEdgeAt(l, SPoint{214, 280}), ESizingEdge::Corner);
    EXPECT_EQ(SizingEdgeAt(l, SPoint{204, 270}), ESizingEdge::Corner);
    EXPECT_EQ(SizingEdgeAt(l, SPoint{212, 10}), ESizingEdge::Right);
    EXPECT_EQ(SizingEdgeAt(l, SPoint{100, 280}), ESizingEdge::Bottom);
    EXPECT_EQ(SizingEdgeAt(l, SPoint{30, 277}), ESizingEdge::None) << "on tab A";
    EXPECT_EQ(SizingEdgeAt(l, SPoint{100, 200}), ESizingEdge::None);
    EXPECT_EQ(SizingEdgeAt(l, SPoint{215, 281}), ESizingEdge::None);
}

TEST(Layout, HeaderTextTopFollowsTheTitleFont) {
    EXPECT_EQ(CalcTitleTextTop(-15, 23), 2);
    EXPECT_EQ(CalcTitleTextTop(-22, 23), 0);
    EXPECT_EQ(CalcTitleTextTop(-23, 23), 0);
    EXPECT_EQ(CalcTitleTextTop(-40, 23), 0);
    EXPECT_EQ(CalcTitleTextTop(10, 23), 11);
}

// Each theme is its own, and any other index paints as Blue, the first.
TEST(Themes, DistinctThemesAndFallbackToBlue) {
    std::set<std::string> names;
    std::set<std::vector<QColor>> colours;
    for (int i = 0; i < kThemeCount; ++i) {
        names.insert(ThemeFor(i).name);
        colours.insert({ThemeFor(i).crBack, ThemeFor(i).crFrame, ThemeFor(i).crText});
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(kThemeCount));
    EXPECT_EQ(colours.size(), static_cast<size_t>(kThemeCount));
    EXPECT_STREQ(ThemeFor(0).name, "Blue");
    for (int outside : {kThemeCount, 43, -1}) {
        EXPECT_EQ(&ThemeFor(outside), &ThemeFor(0));
    }
    EXPECT_EQ(MakeColor(1, 2, 3), 0x030201u);
}

TEST(Themes, GradientDirectionAndOrder) {
    const STheme& t = ThemeFor(2);
    SGradient g{};
    ASSERT_TRUE(GradientFor(0, t, g));
    EXPECT_TRUE(g.vertical);
    EXPECT_EQ(g.first, t.crBack);
    ASSERT_TRUE(GradientFor(1, t, g));
    EXPECT_EQ(g.first, t.crFrame);
    EXPECT_EQ(g.second, t.crBack);
    ASSERT_TRUE(GradientFor(3, t, g));
    EXPECT_FALSE(g.vertical);
    EXPECT_FALSE(GradientFor(4, t, g));
    EXPECT_FALSE(GradientFor(-1, t, g));
}

TEST(Themes, WindowRegions) {
    const auto region = [](int shape, int full) { return RegionFor(shape, full, 215, 281, 15); };
    EXPECT_FALSE(region(0, 1).rounded);
    EXPECT_EQ(region(0, 1).rect, (SRect{0, 0, 215, 281}));
    EXPECT_EQ(region(1, 1).rect, (SRect{0, 0, 216, 296}));
    EXPECT_EQ(region(2, 1).rect, (SRect{0, 0, 216, 282}));
    EXPECT_TRUE(region(2, 1).rounded);
    EXPECT_EQ(region(1, 0).rect, (SRect{0, 0, 216, 25}));
    EXPECT_TRUE(region(2, 0).rounded);
    EXPECT_EQ(region(3, 0).rect, (SRect{0, 0, 215, 24}));
    EXPECT_FALSE(region(3, 1).rounded);
    EXPECT_EQ(region(1, 7).rect, region(1, 1).rect); // anything but 0 is Full
}

// Every row of the key table is reached, by the keys it tells a screen reader of where it
// tells any, and no key reaches two rows.
TEST(Keys, EveryRowIsReachedByItsKeysAndNoKeyByTwo) {
    const SKeyTable table = KeyTable();
    std::vector<bool> reached(table.count);
    SKeyPress press;
    for (press.key = 0; press.key < 256; ++press.key) {
        for (EKeyMessage message : {kKeyDown, kSysKeyDown, kKeyUp, kSysKeyUp}) {
            press.message = message;
            for (int bits = 0; bits < 32; ++bits) {
                press.ctrl = bits & 1;
                press.shift = bits & 2;
                press.alt = bits & 4;
                press.inResults = bits & 8;
                press.folded = bits & 16;
                int holding = 0;
                for (size_t row = 0; row < table.count; ++row) {
                    if (KeyRowHolds(table.rows[row], press)) {
                        ++holding;
                        reached[row] = true;
                        EXPECT_EQ(RouteKey(press), table.rows[row].route) << row;
                    }
                }
                EXPECT_LE(holding, 1) << press.key << " " << bits;
                if (holding == 0) {
                    EXPECT_EQ(RouteKey(press), EKeyRoute::None);
                }
            }
        }
    }
    for (size_t row = 0; row < table.count; ++row) {
        EXPECT_TRUE(reached[row]) << row;
        const SKeyRow& r = table.rows[row];
        if (r.shortcut != nullptr) {
            const std::string key =
                r.key == 0x79 ? "F10" : std::string(1, static_cast<char>(r.key));
            EXPECT_EQ(std::string(r.shortcut), std::string(r.ctrl == EHeld::Down ? "Ctrl+" : "") +
                                                   (r.shift == EHeld::Down ? "Shift+" : "") + key);
            EXPECT_STREQ(ShortcutOf(r.route), r.shortcut);
        }
    }
}

TEST(Commands, EveryPlainCommandWithoutACaseIsAbsorbed) {
    for (unsigned id : {1u, 2u, 0u, 319u, 335u, 350u, 352u, 369u, 393u, 395u, 9999u}) {
        EXPECT_EQ(RouteCommand(id, 0), ECommandRoute::Absorb) << id;
    }
}

TEST(Commands, NotificationsAndQueriesGoToThePlatform) {
    EXPECT_EQ(RouteCommand(1014, 0x300), ECommandRoute::Platform);
    EXPECT_EQ(RouteCommand(356, 1), ECommandRoute::Platform);
}

TEST(Commands, HelpOpensTheGuideBesideTheProgramWhenItIsThere) {
    const auto onlyPage = [](const std::string& path) {
        return path == "C:\\Program Files\\Quillet\\Quillet.html";
    };
    EXPECT_EQ(HelpTarget("C:\\Program Files\\Quillet\\Quillet.exe", onlyPage),
              "C:\\Program Files\\Quillet\\Quillet.html");
    EXPECT_EQ(HelpTarget("C:\\Program Files\\Other\\Quillet.exe", onlyPage), kHelpPageUrl);
    // With no folder known, a page of that name in the current folder is no guide of ours.
    EXPECT_EQ(HelpTarget("", [](const std::string&) { return true; }), kHelpPageUrl);
}

// Every item of every menu, with the menu it stands in.
std::vector<std::pair<EMenu, SMenuEntry>> AllItems() {
    std::vector<std::pair<EMenu, SMenuEntry>> items;
    for (const EMenu menu : kMenuBuildOrder) {
        const SMenuTable table = MenuTable(menu);
        for (size_t i = 0; i < table.count; ++i) {
            if (table.entries[i].kind != SMenuEntry::EKind::Separator &&
                table.entries[i].kind != SMenuEntry::EKind::Submenu) {
                items.emplace_back(menu, table.entries[i]);
            }
        }
    }
    return items;
}

TEST(Commands, EveryMenuItemReachesAHandler) {
    for (const auto& item : AllItems()) {
        const ECommandRoute route = RouteCommand(item.second.id, 0);
        EXPECT_NE(route, ECommandRoute::Absorb) << item.second.id;
        EXPECT_NE(route, ECommandRoute::Platform) << item.second.id;
    }
}

// A radio range holds a run of its menu's items from its first id on, and no item outside the
// range does what an item inside does.
TEST(Commands, EachRadioRangeCoversExactlyItsItems) {
    for (const EMenu menu : kMenuBuildOrder) {
        const SRadioGroup* group = RadioGroupOf(menu);
        if (group == nullptr) {
            continue;
        }
        std::vector<ECommandRoute> inside;
        std::vector<ECommandRoute> outside;
        unsigned next = group->first;
        for (const auto& item : AllItems()) {
            const unsigned id = item.second.id;
            if (item.first != menu) {
                continue;
            }
            if (id >= group->first && id <= group->last) {
                EXPECT_EQ(id, next++);
                inside.push_back(RouteCommand(id, 0));
            } else {
                outside.push_back(RouteCommand(id, 0));
            }
        }
        EXPECT_FALSE(inside.empty());
        for (const ECommandRoute route : outside) {
            EXPECT_EQ(std::count(inside.begin(), inside.end(), route), 0) << group->first;
        }
    }
}

TEST(Commands, TheColourMenuListsEveryThemeInIndexOrder) {
    unsigned themes = 0;
    for (const auto& item : AllItems()) {
        if (item.second.kind == SMenuEntry::EKind::Theme) {
            EXPECT_EQ(item.first, EMenu::Color);
            EXPECT_EQ(item.second.id, ID_COLOR_FIRST + themes++);
        }
    }
    EXPECT_EQ(themes, static_cast<unsigned>(kThemeCount));
    EXPECT_EQ(RadioGroupOf(EMenu::Color)->last - ID_COLOR_FIRST + 1, themes);
}

} // namespace
