// Checks that need the real platform: font read-back, file attributes, and paths outside the
// code page.
#include "base/utf8_win.h"
#include "storage/file_io.h"
#include "storage/notes_file.h"
#include "storage/settings.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <thread>

#include <windows.h>

static_assert(sizeof(SLogFont) == sizeof(LOGFONTA), "SLogFont must mirror LOGFONTA");
static_assert(offsetof(SLogFont, lfWeight) == offsetof(LOGFONTA, lfWeight), "");
static_assert(offsetof(SLogFont, lfItalic) == offsetof(LOGFONTA, lfItalic), "");
static_assert(offsetof(SLogFont, lfPitchAndFamily) == offsetof(LOGFONTA, lfPitchAndFamily), "");
static_assert(offsetof(SLogFont, lfFaceName) == offsetof(LOGFONTA, lfFaceName), "");

TEST(PlatformFont, TahomaReadsBackAsTheDefaultDescription) {
    LOGFONTA request{};
    request.lfHeight = -11;
    std::strcpy(request.lfFaceName, "Tahoma");
    const HFONT font = CreateFontIndirectA(&request);
    ASSERT_NE(font, nullptr);
    LOGFONTA lf{};
    const int got = GetObjectA(font, sizeof lf, &lf);
    DeleteObject(font);
    ASSERT_EQ(got, static_cast<int>(sizeof lf));

    SLogFont expected;
    FillDefaultLogFont(expected);
    EXPECT_EQ(lf.lfHeight, expected.lfHeight);
    EXPECT_EQ(lf.lfWidth, expected.lfWidth);
    EXPECT_EQ(lf.lfEscapement, expected.lfEscapement);
    EXPECT_EQ(lf.lfOrientation, expected.lfOrientation);
    EXPECT_EQ(lf.lfWeight, expected.lfWeight);
    EXPECT_EQ(lf.lfItalic, expected.lfItalic);
    EXPECT_EQ(lf.lfUnderline, expected.lfUnderline);
    EXPECT_EQ(lf.lfStrikeOut, expected.lfStrikeOut);
    EXPECT_EQ(lf.lfCharSet, expected.lfCharSet);
    EXPECT_EQ(lf.lfOutPrecision, expected.lfOutPrecision);
    EXPECT_EQ(lf.lfClipPrecision, expected.lfClipPrecision);
    EXPECT_EQ(lf.lfQuality, expected.lfQuality);
    EXPECT_EQ(lf.lfPitchAndFamily, expected.lfPitchAndFamily);
    EXPECT_EQ(std::memcmp(lf.lfFaceName, expected.lfFaceName, LF_FACESIZE), 0) << lf.lfFaceName;
}

TEST(PathConversion, RoundTripsAnyCharacterAndRefusesWhatIsNoText) {
    const std::string utf8 = u8"C:\\users\\Пользователь\\日記\\😀.qlt";
    std::wstring wide;
    ASSERT_TRUE(Utf8ToWide(utf8, wide));
    EXPECT_EQ(wide, L"C:\\users\\Пользователь\\日記\\😀.qlt");
    std::string back;
    ASSERT_TRUE(WideToUtf8(wide, back));
    EXPECT_EQ(back, utf8);

    // A code-page byte, a cut sequence, an overlong '/', an encoded surrogate, a zero.
    for (const std::string& bad :
         {std::string("caf\xE9"), std::string("\xD0"), std::string("\xC0\xAF"),
          std::string("\xED\xA0\x80"), std::string("a\0b", 3)}) {
        EXPECT_FALSE(Utf8ToWide(bad, wide)) << testutil::Hex(bad);
    }
    EXPECT_FALSE(WideToUtf8(std::wstring(L"a") + wchar_t(0xD800), back));
}

class PlatformFiles : public testutil::ScratchDir {};

TEST_F(PlatformFiles, NamesOutsideTheCodePageReachTheDiskAndComeBackAsUtf8) {
    const std::string folder = m_dir.u8string() + u8"\\Пользователь";
    const std::string name = u8"Заметки.dat";
    ASSERT_TRUE(CreateFolder(folder));
    ASSERT_EQ(ReplaceFileContents(folder + "\\" + name, "notes"), EReplaceResult::Replaced);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(folder + "\\" + name)));
    EXPECT_EQ(FileNamesIn(folder), std::vector<std::string>{name});
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(folder + "\\" + name, bytes), EFileError::None);
    EXPECT_EQ(bytes, "notes");

    // Taken as the code page's, the byte would name another file.
    EXPECT_NE(ReplaceFileContents(folder + "\\caf\xE9.dat", "x"), EReplaceResult::Replaced);
    EXPECT_EQ(FileNamesIn(folder), std::vector<std::string>{name});
}

TEST_F(PlatformFiles, SaveOverAReadOnlyFileLeavesItUntouched) {
    const std::string path = PathOf("qlt_notes.dat");
    const std::string previous = SerializeNotes({{"010126", "previous"}}, "old");
    testutil::WriteFileBytes(path, previous);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const bool saved = SaveNotes({{"020126", "new"}}, "new", path);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(saved);
    EXPECT_EQ(testutil::ReadFileBytes(path), previous);
    EXPECT_TRUE(LeftoverTempFiles(path).empty());
}

TEST_F(PlatformFiles, ReadsShareTheFileAndWaitBrieflyForOneThatSharesNothing) {
    const std::string path = PathOf("qlt_notes.dat");
    testutil::WriteFileBytes(path, SerializeNotes({{"010126", "kept"}}, "every"));
    DayArray days;
    std::string everyDay;
    // An indexer reading along.
    const HANDLE indexer = CreateFileA(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(indexer, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(LoadNotes(days, everyDay, path));
    CloseHandle(indexer);

    const HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(LoadNotes(days, everyDay, path));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(FileIsMissing(path));

    std::thread release([holder] {
        Sleep(50);
        CloseHandle(holder);
    });
    EXPECT_TRUE(LoadNotes(days, everyDay, path));
    release.join();
    EXPECT_EQ(everyDay, "every");
}
