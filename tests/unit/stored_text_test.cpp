#include "base/stored_text.h"

#include "base/codepage.h"
#include "base/utf8.h"
#include "storage/archive.h"
#include "storage/notes_file.h"
#include "sync/notes_merge.h"
#include "test_util.h"

#ifdef _WIN32
#include "base/codepage_win.h"
#endif

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

using testutil::Hex;

namespace {

struct SNamedCodePage {
    std::string name;
    const CCodePage* cp;
};

// Windows-1252 and UTF-8 on every build; under Windows every code page a system may have as its
// own, as the system converts it.
std::vector<SNamedCodePage> CodePages() {
    std::vector<SNamedCodePage> pages{{"1252 (own table)", &Windows1252CodePage()},
                                      {"65001", &Utf8CodePage()}};
#ifdef _WIN32
    static std::vector<std::unique_ptr<CCodePage>> system;
    if (system.empty()) {
        for (unsigned id : {874u, 932u, 936u, 949u, 950u, 1250u, 1251u, 1252u, 1253u, 1254u, 1255u,
                            1256u, 1257u, 1258u}) {
            system.push_back(MakeWindowsCodePage(id));
            if (system.back() == nullptr) {
                ADD_FAILURE() << "no code page " << id;
            }
        }
    }
    const unsigned ids[] = {874,  932,  936,  949,  950,  1250, 1251,
                            1252, 1253, 1254, 1255, 1256, 1257, 1258};
    for (size_t i = 0; i < system.size(); ++i) {
        if (system[i] != nullptr) {
            pages.push_back({std::to_string(ids[i]), system[i].get()});
        }
    }
#endif
    return pages;
}

// Characters of every kind a note may hold: the code page's own, other scripts, emoji (a
// surrogate pair in UTF-16), combining marks, right-to-left letters, CJK, a byte-order mark.
std::string RandomText(std::mt19937& random) {
    static const char32_t kCharacters[] = {
        'a',     'Z',     ' ',    '\r',    '\n',   0,      0xE9,   0xFF,    0x20AC,
        0x0160,  0x0416,  0x043F, 0x03AC,  0x05D0, 0x0627, 0x0301, 0x0308,  0x65E5,
        0x672C,  0x3042,  0xAC00, 0xFEFF,  0xEF,   0xBB,   0xBF,   0x1F600, 0x1F382,
        0x1F44D, 0x1F3FD, 0x200D, 0x10348, 0xFFFD, 0xF8FF, 0x0E01, 0x1EA0,  0x2028};
    std::string text;
    const size_t length = random() % 12;
    for (size_t i = 0; i < length; ++i) {
        AppendUtf8(text, kCharacters[random() % (sizeof kCharacters / sizeof kCharacters[0])]);
    }
    return text;
}

} // namespace

// Whatever a code page is, any text comes back from its stored form, and any stored bytes are
// written back as they were read (kept, when no text reads and writes as them).
TEST(StoredText, EveryTextAndEveryStoredStringComesBackInEveryCodePage) {
    std::mt19937 random(11);
    for (const SNamedCodePage& page : CodePages()) {
        for (int round = 0; round < 400; ++round) {
            const std::string text = RandomText(random);
            const std::string stored = StoredFromText(text, *page.cp);
            ASSERT_EQ(TextFromStored(stored, *page.cp), text) << page.name << ": " << Hex(stored);
            std::string bytes;
            for (size_t i = random() % 8; i > 0; --i) {
                bytes.push_back(static_cast<char>(random() % 4 == 0 ? 0xEF : random()));
            }
            const std::string read = TextFromStored(bytes, *page.cp);
            ASSERT_EQ(StoredFromText(read, *page.cp), bytes) << page.name << ": " << Hex(bytes);
            ASSERT_TRUE(IsKeptBytes(read) || IsValidUtf8(read)) << page.name << ": " << Hex(bytes);
            ASSERT_TRUE(IsValidUtf8(ShownText(read, *page.cp))) << page.name;
        }
    }
}

TEST(StoredText, CodePageTextsKeepTheirBytesAndOthersGoBehindAMark) {
    const CCodePage& cp = Windows1252CodePage();
    // As the files always held them.
    EXPECT_EQ(StoredFromText("Caf\xC3\xA9 \xE2\x82\xAC", cp), "Caf\xE9 \x80");
    EXPECT_EQ(TextFromStored("Caf\xE9 \x80", cp), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(StoredFromText("\xD0\x9F\xF0\x9F\x98\x80", cp),
              "\xEF\xBB\xBF\xD0\x9F\xF0\x9F\x98\x80");
    // A code-page text whose bytes begin like the mark is marked too, so reading is never in
    // doubt.
    EXPECT_EQ(StoredFromText("\xC3\xAF\xC2\xBB\xC2\xBFx", cp),
              "\xEF\xBB\xBF\xC3\xAF\xC2\xBB\xC2\xBFx");
    // A marked text that would be stored otherwise (another program wrote it) keeps its bytes.
    const std::string marked = "\xEF\xBB\xBF"
                               "caf\xC3\xA9";
    EXPECT_TRUE(IsKeptBytes(TextFromStored(marked, cp)));
    EXPECT_EQ(ShownText(TextFromStored(marked, cp), cp), "caf\xC3\xA9");
    // On a UTF-8 system a note written before the switch shows U+FFFD where its letters were.
    EXPECT_EQ(ShownText(TextFromStored("Caf\xE9", Utf8CodePage()), Utf8CodePage()),
              "Caf\xEF\xBF\xBD");
}

// The file an older Quillet reads: counted strings of bytes, no more. It loads every day of a
// notebook that holds any characters, and the notes that fit the code page as ever.
TEST(StoredText, AnOlderReaderLoadsEveryDayOfAUnicodeNotebook) {
    const DayArray days{{"010126", "Caf\xC3\xA9"},
                        {"020126", "\xF0\x9F\x8E\x82 Anna \xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0"},
                        {"030126", "plain"}};
    const std::string bytes = SerializeNotes(days, "\xE6\x97\xA5\xE6\x9C\xAC");
    CMemoryReader in(bytes);
    CDataArchive ar(in, CDataArchive::Mode::Load);
    ar.ReadString();
    ASSERT_EQ(ar.ReadInt(), 3);
    std::vector<std::string> old;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ar.ReadString(), days[static_cast<size_t>(i)].strDate);
        old.push_back(ar.ReadString());
    }
    EXPECT_EQ(ar.Remaining(), 0u);
    EXPECT_EQ(old[0], "Caf\xE9");
    EXPECT_EQ(old[1], "\xEF\xBB\xBF" + days[1].strNote);
    EXPECT_EQ(old[2], "plain");
}

// Random notes of any characters come back exactly through the notes file (and so through an
// export, which is the same file), and a file read is written back as the same bytes.
TEST(StoredText, NotesOfAnyCharactersComeBackThroughTheNotesFile) {
    std::mt19937 random(5);
    for (int round = 0; round < 50; ++round) {
        DayArray days;
        for (int d = 1; d <= 28; ++d) {
            const std::string note = RandomText(random);
            if (!note.empty()) {
                days.push_back(SDay{(d < 10 ? "0" : "") + std::to_string(d) + "0126", note});
            }
        }
        const std::string everyDay = RandomText(random);
        const std::string bytes = SerializeNotes(days, everyDay);
        EXPECT_EQ(SerializedNotesSize(days, everyDay), bytes.size());
        DayArray read;
        std::string readEveryDay;
        CMemoryReader in(bytes);
        ASSERT_TRUE(ReadNotes(read, readEveryDay, in));
        EXPECT_EQ(read, days);
        EXPECT_EQ(readEveryDay, everyDay);
        EXPECT_TRUE(SerializesTo(read, readEveryDay, bytes));
    }
}

// Where two texts become one (a day stored twice in a file, a day changed on two computers),
// bytes kept as read join as they show, never as bytes inside a text.
TEST(StoredText, KeptBytesJoinOthersAsTheyShow) {
    const std::string kept = TextFromStored("\xEF\xBB\xBF"
                                            "caf\xC3\xA9",
                                            Windows1252CodePage());
    ASSERT_TRUE(IsKeptBytes(kept));
    DayArray days{{"010126", kept}, {"010126", "tea"}};
    MergeDuplicateDays(days);
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].strNote, "caf\xC3\xA9\r\ntea");
    const std::string merged = MergeText("base", kept, "other", 10, 20);
    EXPECT_TRUE(IsValidUtf8(merged));
    EXPECT_NE(merged.find("caf\xC3\xA9"), std::string::npos);
    EXPECT_NE(merged.find("other"), std::string::npos);
}
