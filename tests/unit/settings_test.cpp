#include "stored_files.h"
#include "storage/settings.h"

#include "storage/file_io.h"

#include "storage/archive.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

using testutil::Bytes;
using testutil::Hex;
using testutil::Le32;

namespace {

const SRect kDesktop{0, 0, 1920, 1080};
// Where a new window stands before it is first placed: left edge 0.
const SRect kCreationPlace{0, 0, 300, 400};

SSettings Defaults() {
    SSettings s;
    SetDefaultSettings(s, kCreationPlace, kDesktop);
    return s;
}

// A record whose every stored field differs from its default.
SSettings Unusual() {
    SSettings s = Defaults();
    s.nRoom = 2;
    s.bLockMoving = true;
    s.bMondayFirst = true;
    s.nReserved1 = -7;
    s.nReserved2 = 0x7FFFFFFF;
    s.nReserved3 = 12345;
    s.nFullView = 0;
    s.nColor = 7;
    s.nShape = 2;
    s.nGradient = 1;
    s.nTimeFormat = 9;
    s.ptPos = SPoint{-1500, 2000};
    s.lfTitle.lfHeight = 20;
    s.lfTitle.lfItalic = 1;
    s.lfTitle.lfUnderline = 0xFF;
    s.lfTitle.lfWeight = 900;
    s.lfTitle.SetFace("Arial");
    s.lfNotes.lfHeight = -9;
    s.lfNotes.lfItalic = 0;
    s.lfNotes.lfUnderline = 1;
    s.lfNotes.lfWeight = 400;
    s.lfNotes.SetFace("Courier New");
    s.lfCalendar.lfHeight = -30;
    s.lfCalendar.lfItalic = 1;
    s.lfCalendar.SetFace("Segoe UI");
    s.strCustomFormat = "%A, %d %B %Y";
    s.strReserved = std::string("r;\0x", 4); // ';' scrambles to a zero byte
    return s;
}

void ExpectStoredFieldsEqual(const SSettings& a, const SSettings& b) {
    EXPECT_EQ(a.nRoom, b.nRoom);
    EXPECT_EQ(a.bLockMoving, b.bLockMoving);
    EXPECT_EQ(a.bAlwaysTop, b.bAlwaysTop);
    EXPECT_EQ(a.bMondayFirst, b.bMondayFirst);
    EXPECT_EQ(a.bWeekNumbers, b.bWeekNumbers);
    EXPECT_EQ(a.nReserved1, b.nReserved1);
    EXPECT_EQ(a.nReserved2, b.nReserved2);
    EXPECT_EQ(a.nReserved3, b.nReserved3);
    EXPECT_EQ(a.nFullView, b.nFullView);
    EXPECT_EQ(a.nColor, b.nColor);
    EXPECT_EQ(a.nShape, b.nShape);
    EXPECT_EQ(a.nGradient, b.nGradient);
    EXPECT_EQ(a.nTimeFormat, b.nTimeFormat);
    EXPECT_EQ(a.ptPos, b.ptPos);
    // The title and notes fonts are stored whole apart from members that stay at their defaults.
    EXPECT_TRUE(a.lfTitle == b.lfTitle);
    EXPECT_TRUE(a.lfNotes == b.lfNotes);
    EXPECT_EQ(a.lfCalendar.Face(), b.lfCalendar.Face());
    EXPECT_EQ(a.lfCalendar.lfHeight, b.lfCalendar.lfHeight);
    EXPECT_EQ(a.lfCalendar.lfItalic, b.lfCalendar.lfItalic);
    EXPECT_EQ(a.strCustomFormat, b.strCustomFormat);
    EXPECT_EQ(a.strReserved, b.strReserved);
}

bool ReadFrom(const std::string& bytes, SSettings& s) {
    CMemoryReader in(bytes);
    return ReadSettings(s, in);
}

std::string Scrambled(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        out.push_back(static_cast<char>((c - kScrambleK) & 0xFF));
    }
    return out;
}

} // namespace

TEST(SettingsFile, DefaultRecordBytes) {
    const std::string bytes = SerializeSettings(Defaults());
    ASSERT_EQ(bytes.size(), 101u);
    EXPECT_EQ(Hex(bytes.substr(0, 4)), "00 00 00 00");
    EXPECT_EQ(Hex(bytes.substr(20, 4)), "01 00 00 00");
    EXPECT_EQ(Hex(bytes.substr(36, 4)), Hex(Le32(43)));
    EXPECT_EQ(Hex(bytes.substr(40, 8)), Hex(Le32(810) + Le32(340)));
    EXPECT_EQ(Hex(bytes.substr(48, 10)), Hex(Le32(-15) + Bytes({0, 0}) + Le32(600)));

    const std::string face = Bytes({6}) + Scrambled("Tahoma");
    EXPECT_NE(Scrambled("Tahoma"), "Tahoma");
    const std::string rest = face + Le32(-11) + Bytes({1, 0}) + Le32(0) + face + Bytes({5}) +
                             "%d %B" + Bytes({0}) + face + Le32(-11) + Bytes({0});
    EXPECT_EQ(Hex(bytes.substr(58)), Hex(rest));
}

TEST(SettingsFile, DefaultsAndAnUnusualRecordRoundTrip) {
    for (const SSettings& original : {Defaults(), Unusual()}) {
        SSettings back;
        back.lfCalendar.lfWeight = 700; // not stored: must return to the default
        back.lfTitle.lfStrikeOut = 1;
        back.nRadius = 99; // not stored: must be left alone
        ASSERT_TRUE(ReadFrom(SerializeSettings(original), back));
        ExpectStoredFieldsEqual(back, original);
        EXPECT_EQ(back.lfCalendar.lfWeight, 0);
        EXPECT_EQ(back.lfTitle.lfStrikeOut, 0);
        EXPECT_EQ(back.nRadius, 99);
        EXPECT_EQ(SerializeSettings(back), SerializeSettings(original));
    }
}

TEST(SettingsFile, ScrambledTextKeepsBytesThatBecomeZero) {
    EXPECT_EQ(ScrambleText(";", false), std::string(1, '\0'));
    EXPECT_EQ(ScrambleText(std::string(1, '\0'), false), Bytes({(0x100 - kScrambleK) & 0xFF}));
    EXPECT_EQ(ScrambleText(Bytes({0xFF}), true), Bytes({(0xFF + kScrambleK) & 0xFF}));
    const std::string all = [] {
        std::string s;
        for (int b = 0; b < 256; ++b) {
            s.push_back(static_cast<char>(b));
        }
        return s;
    }();
    EXPECT_EQ(ScrambleText(ScrambleText(all, false), true), all);

    const std::string bytes = SerializeSettings(Unusual());
    EXPECT_NE(bytes.find(Bytes({4}) + Scrambled(std::string("r;\0x", 4))), std::string::npos);
}

TEST(SettingsFile, FlagByteTwoReadsTrueAndIsWrittenBackAsOne) {
    std::string bytes = SerializeSettings(Defaults());
    bytes[5] = 2; // bAlwaysTop
    SSettings s;
    ASSERT_TRUE(ReadFrom(bytes, s));
    EXPECT_TRUE(s.bAlwaysTop);
    EXPECT_FALSE(s.bLockMoving);
    EXPECT_EQ(SerializeSettings(s)[5], 1);
}

TEST(SettingsFile, BytesAfterTheLastFieldAreIgnored) {
    const std::string bytes = SerializeSettings(Unusual());
    SSettings s;
    ASSERT_TRUE(ReadFrom(bytes + "trailing junk" + std::string(5000, '\xFF'), s));
    ExpectStoredFieldsEqual(s, Unusual());
}

TEST(SettingsFile, EveryTruncationFails) {
    const std::string bytes = SerializeSettings(Unusual());
    for (size_t size = 0; size < bytes.size(); ++size) {
        SSettings s;
        EXPECT_FALSE(ReadFrom(bytes.substr(0, size), s)) << "size " << size;
    }
}

TEST(SettingsFile, FailedReadKeepsWhatWasReadAndResetsTheFonts) {
    const std::string bytes = SerializeSettings(Unusual());
    SSettings s;
    s.lfTitle.SetFace("Wingdings");
    s.lfTitle.lfHeight = 50;
    s.strCustomFormat = "old";
    // Stops inside the title face: the fixed part is in, later fields are not.
    ASSERT_FALSE(ReadFrom(bytes.substr(0, 60), s));
    EXPECT_EQ(s.nRoom, 2);
    EXPECT_EQ(s.nTimeFormat, 9);
    EXPECT_EQ(s.ptPos, (SPoint{-1500, 2000}));
    EXPECT_EQ(s.lfTitle.lfHeight, 20);
    EXPECT_EQ(s.lfTitle.Face(), "Tahoma");
    EXPECT_EQ(s.strCustomFormat, "old");
}

TEST(SettingsFile, LongFaceIsCutTo31Bytes) {
    const std::string face(40, 'F');
    std::string bytes = SerializeSettings(Defaults());
    // Replace the title face (offset 58, prefix 06 + 6 bytes) by a 40-byte one.
    bytes.replace(58, 7, Bytes({40}) + Scrambled(face));
    SSettings s;
    ASSERT_TRUE(ReadFrom(bytes, s));
    EXPECT_EQ(s.lfTitle.Face(), face.substr(0, 31));
    EXPECT_EQ(s.lfTitle.lfFaceName[31], '\0');
    EXPECT_EQ(s.lfNotes.Face(), "Tahoma");
}

class SettingsDiskTest : public testutil::ScratchDir {};

TEST_F(SettingsDiskTest, SaveWritesTheSerializedBytesAndLoadReadsThemBack) {
    const std::string path = PathOf("qlt_info.dat");
    SSettings original = Unusual();
    // Left edge 0: the stored position is kept.
    ASSERT_TRUE(SaveSettings(original, path, kCreationPlace, kDesktop));
    EXPECT_EQ(original.ptPos, (SPoint{-1500, 2000}));
    EXPECT_EQ(testutil::ReadFileBytes(path), SerializeSettings(Unusual()));
    EXPECT_TRUE(LeftoverTempFiles(path).empty());

    SSettings back;
    ASSERT_TRUE(LoadSettings(back, path));
    ExpectStoredFieldsEqual(back, original);

    // The default's out-of-range clock format survives a save and a load.
    SSettings defaults = Defaults();
    ASSERT_TRUE(SaveSettings(defaults, path, kCreationPlace, kDesktop));
    ASSERT_TRUE(LoadSettings(back, path));
    EXPECT_EQ(back.nTimeFormat, 43);
    EXPECT_EQ(testutil::ReadFileBytes(path).size(), 101u);
}

TEST_F(SettingsDiskTest, LoadOfAMissingOrShortFileFails) {
    SSettings s = Unusual();
    EXPECT_FALSE(LoadSettings(s, PathOf("missing.dat")));
    ExpectStoredFieldsEqual(s, Unusual());

    const std::string path = PathOf("short.dat");
    const std::string bytes = SerializeSettings(Defaults());
    testutil::WriteFileBytes(path, bytes.substr(0, bytes.size() - 1));
    EXPECT_FALSE(LoadSettings(s, path));
    testutil::WriteFileBytes(path, bytes);
    EXPECT_TRUE(LoadSettings(s, path));
}

TEST_F(SettingsDiskTest, SaveRefreshesThePositionFromTheWindow) {
    const std::string path = PathOf("qlt_info.dat");
    SSettings s = Defaults();
    s.ptPos = SPoint{5, 6};
    ASSERT_TRUE(SaveSettings(s, path, SRect{100, 50, 400, 450}, kDesktop));
    EXPECT_EQ(s.ptPos, (SPoint{100, 50}));
    // Top-left corner on a monitor left of the primary one: centred instead.
    ASSERT_TRUE(SaveSettings(s, path, SRect{-1000, 50, -700, 450}, kDesktop));
    EXPECT_EQ(s.ptPos, (SPoint{810, 340}));
    SSettings back;
    ASSERT_TRUE(LoadSettings(back, path));
    EXPECT_EQ(back.ptPos, (SPoint{810, 340}));

    // The refresh happens even when the file cannot be written.
    std::filesystem::create_directory(PathOf("blocked"));
    EXPECT_FALSE(SaveSettings(s, PathOf("blocked"), SRect{10, 20, 310, 420}, kDesktop));
    EXPECT_EQ(s.ptPos, (SPoint{10, 20}));
}

TEST(SettingsPosition, RefreshKeepsThePositionWhileAnEdgeIsZero) {
    SSettings s;
    s.ptPos = SPoint{33, 44};
    RefreshStoredPosition(s, SRect{0, 10, 300, 400}, kDesktop);
    EXPECT_EQ(s.ptPos, (SPoint{33, 44}));
    RefreshStoredPosition(s, SRect{-300, 10, 0, 400}, kDesktop);
    EXPECT_EQ(s.ptPos, (SPoint{33, 44}));
    // A top edge of 0 is no reason to keep it.
    RefreshStoredPosition(s, SRect{20, 0, 320, 400}, kDesktop);
    EXPECT_EQ(s.ptPos, (SPoint{20, 0}));
}

TEST(SettingsPosition, DesktopEdgesAreInclusiveAtTopLeftOnly) {
    const SRect desktop{-100, -50, 1820, 1030};
    EXPECT_TRUE(IsPointOnDesktop(SPoint{-100, -50}, desktop));
    EXPECT_TRUE(IsPointOnDesktop(SPoint{1819, 1029}, desktop));
    EXPECT_FALSE(IsPointOnDesktop(SPoint{1820, 0}, desktop));
    EXPECT_FALSE(IsPointOnDesktop(SPoint{0, 1030}, desktop));
    EXPECT_FALSE(IsPointOnDesktop(SPoint{-101, 0}, desktop));
    EXPECT_FALSE(IsPointOnDesktop(SPoint{0, -51}, desktop));

    SSettings s;
    RefreshStoredPosition(s, SRect{1819, 1029, 2119, 1429}, desktop);
    EXPECT_EQ(s.ptPos, (SPoint{1819, 1029}));
    RefreshStoredPosition(s, SRect{1820, 100, 2120, 500}, desktop);
    EXPECT_EQ(s.ptPos, CentreOnDesktop(SRect{1820, 100, 2120, 500}, desktop));
    EXPECT_EQ(s.ptPos, (SPoint{860 - 150, 490 - 200}));
}

TEST(SettingsPosition, WithSeveralMonitorsATitleBarOnAnyWorkAreaStaysElseTheNearestTakesIt) {
    // A second monitor left of the primary one, its work area above a taskbar.
    const std::vector<SRect> areas{{0, 0, 1920, 1040}, {-1280, 0, 0, 984}};
    const SRect window{0, 0, 215, 260};
    const auto place = [&](SPoint corner) {
        return PlaceWindow(corner, window, kDesktop, areas, 22);
    };
    EXPECT_EQ(place({-1000, 300}), (SPoint{-1000, 300})) << "kept on the second monitor";
    EXPECT_EQ(place({-100, -10}), (SPoint{-100, -10})) << "a part of the title bar shows";
    EXPECT_EQ(place({1900, 1030}), (SPoint{1900, 1030}));
    EXPECT_EQ(place({-1000, 990}), (SPoint{-1000, 984 - 260})) << "below the left work area";
    EXPECT_EQ(place({2500, 100}), (SPoint{1920 - 215, 100})) << "a monitor that is gone";
    EXPECT_EQ(place({-5000, -5000}), (SPoint{-1280, 0}));
    // One monitor: the corner decides, as it always did.
    EXPECT_EQ(PlaceWindow({-100, 10}, window, kDesktop, {areas[0]}, 22),
              CentreOnDesktop(window, kDesktop));
}

TEST(SettingsPosition, AWindowOpensBesideAnotherCopysNotOnIt) {
    EXPECT_EQ(AwayFromCorners({100, 100}, {{50, 50}}, 22), (SPoint{100, 100}));
    EXPECT_EQ(AwayFromCorners({100, 100}, {{100, 100}, {122, 122}}, 22), (SPoint{144, 144}));
}

TEST(SettingsPosition, CentringTruncatesTowardZero) {
    // (-1921 + 0) / 2 is -960 when truncated; flooring would give -961.
    EXPECT_EQ(CentreOnDesktop(SRect{10, 10, 311, 211}, SRect{-1921, -1081, 0, 0}),
              (SPoint{-960 - 150, -540 - 100}));
    EXPECT_EQ(CentreOnDesktop(SRect{0, 0, 301, 201}, SRect{0, 0, 1921, 1081}),
              (SPoint{960 - 150, 540 - 100}));
    // A reversed rectangle has a negative width, halved toward zero as well.
    EXPECT_EQ(CentreOnDesktop(SRect{5, 5, -96, -96}, SRect{0, 0, 100, 100}),
              (SPoint{50 + 50, 50 + 50}));
}

// Whatever a record held, the defaults leave nothing of it: they write a first start's file.
TEST(SettingsDefaults, EveryStoredFieldGetsItsDefault) {
    const SRect place{50, 60, 351, 461};
    const SRect desktop{0, 0, 1280, 1024};
    SSettings s = Unusual();
    s.bAlwaysTop = true;
    s.bWeekNumbers = true;
    SetDefaultSettings(s, place, desktop);
    SSettings fresh;
    SetDefaultSettings(fresh, place, desktop);
    EXPECT_EQ(Hex(SerializeSettings(s)), Hex(SerializeSettings(fresh)));
    // Shape, colour, gradient 0, clock format 43, full view, Dynamic room, no flags, reserved
    // zero, centred at (490, 312), "%d %B", and Tahoma: title 15 px bold, notes italic.
    EXPECT_EQ(Hex(SerializeSettings(s)),
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 "
              "00 00 00 00 00 00 00 00 00 2B 00 00 00 EA 01 00 00 38 01 00 00 F1 FF FF FF 00 00 "
              "58 02 00 00 06 19 26 2D 34 32 26 F5 FF FF FF 01 00 00 00 00 00 06 19 26 2D 34 32 "
              "26 05 25 64 20 25 42 00 06 19 26 2D 34 32 26 F5 FF FF FF 00");
}

TEST(SettingsDefaults, DefaultFontDescription) {
    SLogFont f;
    f.lfWidth = 3;
    f.lfCharSet = 1;
    f.lfFaceName[20] = 'x';
    FillDefaultLogFont(f);
    SLogFont zero;
    zero.lfHeight = -11;
    std::memcpy(zero.lfFaceName, "Tahoma", 6);
    EXPECT_TRUE(f == zero);
}

TEST(SettingsDefaults, FaceFieldHoldsAtMost31BytesUpToAZero) {
    SLogFont f;
    f.SetFace(std::string(50, 'a'));
    EXPECT_EQ(f.Face(), std::string(31, 'a'));
    EXPECT_EQ(f.lfFaceName[31], '\0');
    f.SetFace(std::string("ab\0cd", 5));
    EXPECT_EQ(f.Face(), "ab");
    EXPECT_EQ(f.lfFaceName[3], '\0'); // the longer face before is cleared
}
