// Layout, themes, window regions and command routing of the main window.
#include "render/layout.h"
#include "render/themes.h"
#include "ui/commands.h"

#include <gtest/gtest.h>

namespace {

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

TEST(Layout, HeaderTextTopFollowsTheTitleFont) {
    EXPECT_EQ(CalcTitleTextTop(-15, 23), 2);
    EXPECT_EQ(CalcTitleTextTop(-22, 23), 0);
    EXPECT_EQ(CalcTitleTextTop(-23, 23), 0);
    EXPECT_EQ(CalcTitleTextTop(-40, 23), 0);
    EXPECT_EQ(CalcTitleTextTop(10, 23), 11);
}

TEST(Themes, TableAndFallbackToBlue) {
    EXPECT_EQ(ThemeFor(0).crBack, MakeColor(200, 220, 250));
    EXPECT_EQ(ThemeFor(7).crFrame, MakeColor(180, 140, 50));
    EXPECT_EQ(ThemeFor(5).crText, MakeColor(50, 70, 35));
    EXPECT_STREQ(ThemeFor(6).name, "Lilac");
    for (int outside : {8, 43, -1}) {
        EXPECT_EQ(ThemeFor(outside).crBack, ThemeFor(0).crBack);
        EXPECT_EQ(ThemeFor(outside).crText, ThemeFor(0).crText);
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

TEST(Commands, EveryPlainCommandWithoutACaseIsAbsorbed) {
    for (unsigned id : {1u, 2u, 0u, 319u, 335u, 350u, 352u, 369u, 393u, 395u, 9999u}) {
        EXPECT_EQ(RouteCommand(id, 0, false), ECommandRoute::Absorb) << id;
    }
}

TEST(Commands, NotificationsAndQueriesGoToThePlatform) {
    EXPECT_EQ(RouteCommand(1014, 0x300, false), ECommandRoute::Platform);
    EXPECT_EQ(RouteCommand(356, 1, false), ECommandRoute::Platform);
    EXPECT_EQ(RouteCommand(353, 0, true), ECommandRoute::Platform);
}

TEST(Commands, RangesAndSingleCommands) {
    EXPECT_EQ(RouteCommand(320, 0, false), ECommandRoute::ColorTheme);
    EXPECT_EQ(RouteCommand(328, 0, false), ECommandRoute::ColorTheme);
    EXPECT_EQ(RouteCommand(329, 0, false), ECommandRoute::RandomColor);
    EXPECT_EQ(RouteCommand(334, 0, false), ECommandRoute::Shape);
    EXPECT_EQ(RouteCommand(348, 0, false), ECommandRoute::ClockFormat);
    EXPECT_EQ(RouteCommand(349, 0, false), ECommandRoute::CustomClockFormat);
    EXPECT_EQ(RouteCommand(368, 0, false), ECommandRoute::Gradient);
    EXPECT_EQ(RouteCommand(371, 0, false), ECommandRoute::AlwaysTop);
    EXPECT_EQ(RouteCommand(382, 0, false), ECommandRoute::Font);
    EXPECT_EQ(RouteCommand(386, 0, false), ECommandRoute::LoadData);
    EXPECT_EQ(RouteCommand(391, 0, false), ECommandRoute::HomePage);
    EXPECT_EQ(RouteCommand(394, 0, false), ECommandRoute::About);
    EXPECT_EQ(RouteCommand(351, 0, false), ECommandRoute::FullCompact);
    EXPECT_EQ(RouteCommand(353, 0, false), ECommandRoute::SaveAll);
    EXPECT_EQ(RouteCommand(356, 0, false), ECommandRoute::Exit);
}

} // namespace
