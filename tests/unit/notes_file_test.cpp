#include "stored_files.h"
#include "storage/notes_file.h"

#include "fake_files.h"
#include "storage/archive.h"
#include "storage/busy_wait.h"
#include "storage/file_io.h"
#include "storage/settings.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using testutil::Bytes;
using testutil::Counted;
using testutil::Hex;
using testutil::Le32;

namespace {

bool ReadFrom(const std::string& bytes, DayArray& days, std::string& everyDay) {
    CMemoryReader in(bytes);
    return ReadNotes(days, everyDay, in);
}

DayArray SampleDays() {
    return {
        {"071226", "Dentist\r\nat 10"},
        {"311299", std::string(300, 'n')},
        {"010127", std::string("zero\0inside", 11)},
    };
}

} // namespace

TEST(NotesFile, EmptyNotesAreFiveZeroBytes) {
    const std::string bytes = SerializeNotes({}, "");
    EXPECT_EQ(bytes, std::string(5, '\0'));
    DayArray days;
    std::string everyDay = "stale";
    ASSERT_TRUE(ReadFrom(bytes, days, everyDay));
    EXPECT_TRUE(days.empty());
    EXPECT_EQ(everyDay, "");
}

TEST(NotesFile, OneNoteExampleBytes) {
    const DayArray days{{"071226", "Hi"}};
    const std::string bytes = SerializeNotes(days, "X");
    EXPECT_EQ(Hex(bytes), "01 58 01 00 00 00 06 30 37 31 32 32 36 02 48 69");
    DayArray back;
    std::string everyDay;
    ASSERT_TRUE(ReadFrom(bytes, back, everyDay));
    EXPECT_EQ(back, days);
    EXPECT_EQ(everyDay, "X");
}

TEST(NotesFile, LongNoteUsesTheThreeBytePrefix) {
    const std::string bytes = SerializeNotes({{"071226", std::string(300, 'a')}}, "");
    EXPECT_EQ(Hex(bytes.substr(12, 3)), "FF 2C 01");
    EXPECT_EQ(bytes.size(), 15u + 300u);
}

TEST(NotesFile, RecordsStayInFileOrderWithDuplicates) {
    const DayArray stored{
        {"311299", "late"}, {"071226", "first"}, {"071226", "second"}, {"0712", "short"}, {"", ""}};
    DayArray back;
    std::string everyDay;
    ASSERT_TRUE(ReadFrom(SerializeNotes(stored, "every"), back, everyDay));
    EXPECT_EQ(back, stored);
}

TEST(NotesFile, TellingUnchangedNotesWithoutBytesAgreesWithMakingThem) {
    const std::string big(5000, 'b'); // past the archive's buffer, written around it
    const DayArray base{{"071226", "first"}, {"081226", big}, {"091226", "last"}};
    const std::string bytes = SerializeNotes(base, "every");
    std::vector<std::pair<DayArray, std::string>> variants{
        {base, "every"}, {base, "Every"}, {base, "every!"}, {{}, "every"}};
    for (size_t i = 0; i < base.size(); ++i) {
        DayArray changed = base;
        changed[i].strNote.back() ^= 1; // same size, last byte of its record
        variants.push_back({changed, "every"});
        changed = base;
        changed.erase(changed.begin() + static_cast<std::ptrdiff_t>(i));
        variants.push_back({changed, "every"});
    }
    variants.push_back({DayArray{base[0], base[2], base[1]}, "every"});
    for (const auto& [days, everyDay] : variants) {
        EXPECT_EQ(SerializesTo(days, everyDay, bytes), SerializeNotes(days, everyDay) == bytes);
    }
    EXPECT_TRUE(SerializesTo(base, "every", bytes));
    EXPECT_FALSE(SerializesTo(base, "every", bytes + '\0'));
}

TEST(NotesFile, CountBelowOneReadsNoRecords) {
    for (int32_t count : {0, -1, INT32_MIN}) {
        SCOPED_TRACE(count);
        DayArray days;
        std::string everyDay;
        // Records after a non-positive count are not read, like any trailing bytes.
        const std::string bytes =
            Counted("E") + Le32(static_cast<uint32_t>(count)) + Counted("071226") + Counted("Hi");
        EXPECT_TRUE(ReadFrom(bytes, days, everyDay));
        EXPECT_TRUE(days.empty());
        EXPECT_EQ(everyDay, "E");
    }
}

TEST(NotesFile, CountAboveTheRecordsPresentFailsKeepingWhatWasRead) {
    const std::string bytes = Counted("every") + Le32(3) + Counted("010126") + Counted("a") +
                              Counted("020126") + Counted("b");
    DayArray days;
    std::string everyDay;
    EXPECT_FALSE(ReadFrom(bytes, days, everyDay));
    EXPECT_EQ(everyDay, "every");
    EXPECT_EQ(days, (DayArray{{"010126", "a"}, {"020126", "b"}}));

    // A huge count in a tiny file fails just the same, without growing the array first.
    days.clear();
    EXPECT_FALSE(ReadFrom(Counted("") + Le32(0x7FFFFFFF) + Counted("010126"), days, everyDay));
    EXPECT_TRUE(days.empty());
}

// Holds a few bytes but claims a terabyte; with fail set, every read fails for want of memory.
class CHugeClaimReader : public IArchiveReader {
public:
    explicit CHugeClaimReader(std::string bytes, void (*fail)() = nullptr)
        : m_data(std::move(bytes)), m_fail(fail) {}
    size_t Read(void* data, size_t size) override {
        if (m_fail != nullptr) {
            m_fail();
        }
        return m_in.Read(data, size);
    }
    uint64_t Remaining() const override { return uint64_t(1) << 40; }

private:
    std::string m_data;
    CMemoryReader m_in{m_data};
    void (*m_fail)();
};

TEST(NotesFile, HugeClaimsAndFailedAllocationsReadAsDamaged) {
    DayArray days;
    std::string everyDay;
    CHugeClaimReader maxCount(Counted("") + Le32(0x7FFFFFFF) + Counted("010126"));
    EXPECT_FALSE(ReadNotes(days, everyDay, maxCount));
    EXPECT_LE(days.capacity(), size_t(1) << 16);

    CHugeClaimReader noMemory(SerializeNotes(SampleDays(), ""), [] { throw std::bad_alloc(); });
    EXPECT_FALSE(ReadNotes(days, everyDay, noMemory));
    SSettings settings;
    CHugeClaimReader tooLong(SerializeSettings(settings), [] { throw std::length_error("long"); });
    EXPECT_FALSE(ReadSettings(settings, tooLong));
}

TEST(NotesFile, MemoryStaysWithinEightTimesTheFilesSizeWhileRealNotebooksLoad) {
    // Within the record bound, 1.8 MB of empty records would take 57 MB.
    const int32_t empty = 900000;
    std::string bytes = Counted("") + Le32(empty) + std::string(size_t(empty) * 2, '\0');
    DayArray days;
    std::string everyDay;
    EXPECT_FALSE(ReadFrom(bytes, days, everyDay));
    EXPECT_LE(days.capacity() * sizeof(SDay), 8 * bytes.size());
    // More records than a century of days could ever need, whatever the file's size.
    days = DayArray();
    EXPECT_FALSE(ReadFrom(Counted("") + Le32(kMaxNoteRecords + 1), days, everyDay));
    EXPECT_EQ(days.capacity(), 0u);
    std::string bound = Counted("") + Le32(kMaxNoteRecords);
    for (int32_t i = 0; i < kMaxNoteRecords; ++i) {
        bound += Counted("010126") + Counted("x");
    }
    days = DayArray();
    EXPECT_TRUE(ReadFrom(bound, days, everyDay)) << "exactly the bound";
    EXPECT_EQ(days.size(), size_t(kMaxNoteRecords));
    bound.replace(1, 4, Le32(kMaxNoteRecords + 1));
    days = DayArray();
    EXPECT_FALSE(ReadFrom(bound + Counted("010126") + Counted("x"), days, everyDay));

    // The smallest real notes: a one-letter note every day for a hundred years.
    DayArray century;
    for (int year = 1970; year < 2070; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= DaysInMonth(year, month); ++day) {
                char key[16];
                std::snprintf(key, sizeof key, "%02d%02d%02d", day, month, year % 100);
                century.push_back({key, "x"});
            }
        }
    }
    days = DayArray();
    ASSERT_TRUE(ReadFrom(SerializeNotes(century, ""), days, everyDay));
    EXPECT_EQ(days, century);
}

// What a power cut leaves of a write is damage in the data folder; other odd files still load.
TEST(NotesFile, TrailingBytesAreIgnoredButZerosAndEmptyRecordsTearADataFile) {
    const std::string good = SerializeNotes(SampleDays(), "every");
    DayArray days;
    std::string everyDay;
    ASSERT_TRUE(ReadFrom(good + "junk", days, everyDay));
    EXPECT_EQ(days, SampleDays());
    SNotebook notes;
    EXPECT_TRUE(ParseDataFileNotes(good + "junk\0", notes));
    EXPECT_TRUE(ParseDataFileNotes(SerializeNotes({{"?", "odd key"}}, ""), notes));
    EXPECT_TRUE(ParseDataFileNotes(Counted("") + Le32(-1) + "\x05bytes", notes))
        << "a count below one reads no records";
    EXPECT_FALSE(ParseDataFileNotes(std::string(300, '\0'), notes));
    EXPECT_FALSE(ParseDataFileNotes(good + std::string(40, '\0'), notes));
    std::string cut = good;
    std::fill(cut.end() - 3, cut.end(), '\0');
    EXPECT_FALSE(ParseDataFileNotes(cut, notes)) << "torn inside the last text";
    const std::string emptyRecord = SerializeNotes({SampleDays()[0], {"", ""}}, "every");
    EXPECT_FALSE(ParseDataFileNotes(emptyRecord, notes));
    days.clear();
    EXPECT_TRUE(ReadFrom(emptyRecord + std::string(40, '\0'), days, everyDay)) << "any other file";
}

TEST(NotesFile, EveryTruncationFails) {
    const std::string bytes = SerializeNotes(SampleDays(), "every day");
    for (size_t size = 0; size < bytes.size(); ++size) {
        DayArray days;
        std::string everyDay;
        EXPECT_FALSE(ReadFrom(bytes.substr(0, size), days, everyDay)) << "size " << size;
        EXPECT_LE(days.size(), SampleDays().size());
    }
}

class NotesDiskTest : public testutil::ScratchDir {
protected:
    // A previous file whose bytes every failed save must leave alone.
    std::string WritePrevious(const std::string& path) {
        const std::string bytes = SerializeNotes({{"010126", "previous"}}, "old");
        testutil::WriteFileBytes(path, bytes);
        return bytes;
    }
};

TEST_F(NotesDiskTest, SaveAndLoadRoundTrip) {
    const std::string path = PathOf("qlt_notes.dat");
    DayArray days = SampleDays();
    days.push_back({"020127", std::string(70000, 'w')}); // 32-bit length, beyond the buffer
    ASSERT_TRUE(SaveNotes(days, "every\r\nday", path));
    EXPECT_EQ(testutil::ReadFileBytes(path), SerializeNotes(days, "every\r\nday"));
    EXPECT_TRUE(LeftoverTempFiles(path).empty());

    DayArray back{{"stale", "stale"}};
    std::string everyDay = "stale";
    ASSERT_TRUE(LoadNotes(back, everyDay, path));
    EXPECT_EQ(back, days);
    EXPECT_EQ(everyDay, "every\r\nday");

    // A second save replaces the first completely.
    ASSERT_TRUE(SaveNotes({}, "", path));
    EXPECT_EQ(testutil::ReadFileBytes(path), std::string(5, '\0'));
}

TEST_F(NotesDiskTest, LoadOfAMissingPathFailsWithAnEmptyArray) {
    DayArray days = SampleDays();
    std::string everyDay = "kept";
    EXPECT_FALSE(LoadNotes(days, everyDay, PathOf("missing.dat")));
    EXPECT_TRUE(days.empty());
    EXPECT_EQ(everyDay, "kept");
    // A folder is not a notes file.
    days = SampleDays();
    EXPECT_FALSE(LoadNotes(days, everyDay, m_dir.string()));
    EXPECT_TRUE(days.empty());
}

// What an import takes in is saved as the data file, so a file the start would take for torn is
// refused like one with a day that does not exist.
TEST_F(NotesDiskTest, AnImportTheNextStartCouldNotLoadChangesNothingAndOneDayIsOneNote) {
    const std::string path = PathOf("import.dat");
    SNotebook notes{{{"010126", "kept"}}, "kept"};
    for (const char* key : {"310226", "999999", "0101", ""}) {
        testutil::WriteFileBytes(path, SerializeNotes({{"020126", "b"}, {key, "a"}}, "new"));
        EXPECT_FALSE(LoadImport(notes, path)) << key;
    }
    const std::string good = SerializeNotes({{"020126", "b"}}, "new");
    for (const std::string& torn :
         {SerializeNotes({{"020126", "b"}}, std::string("new\0", 4)),
          SerializeNotes({{"020126", std::string("b\0", 2)}, {"030126", "c"}}, "new"),
          SerializeNotes({{"020126", "b"}, {"", ""}}, "new"), good + std::string(40, '\0')}) {
        SNotebook read;
        EXPECT_FALSE(ParseDataFileNotes(torn, read)) << Hex(torn);
        testutil::WriteFileBytes(path, torn);
        EXPECT_FALSE(LoadImport(notes, path)) << Hex(torn);
    }
    EXPECT_EQ(notes.days, (DayArray{{"010126", "kept"}}));
    EXPECT_EQ(notes.everyDay, "kept");

    testutil::WriteFileBytes(path, SerializeNotes({{"050126", "first"},
                                                   {"040126", "other"},
                                                   {"050126", ""},
                                                   {"050126", "second"},
                                                   {"050126", "first"}},
                                                  "new"));
    ASSERT_TRUE(LoadImport(notes, path));
    EXPECT_EQ(notes.days, (DayArray{{"050126", "first\r\nsecond"}, {"040126", "other"}}));
    SNotebook saved;
    EXPECT_TRUE(ParseDataFileNotes(SerializeNotes(notes.days, notes.everyDay), saved));
}

TEST_F(NotesDiskTest, LoadOfATruncatedFileFails) {
    const std::string path = PathOf("qlt_notes.dat");
    const std::string bytes = SerializeNotes(SampleDays(), "every");
    testutil::WriteFileBytes(path, bytes.substr(0, bytes.size() - 1));
    DayArray days;
    std::string everyDay;
    EXPECT_FALSE(LoadNotes(days, everyDay, path));
    EXPECT_EQ(days.size(), 2u);
    EXPECT_EQ(everyDay, "every");

    // Cut anywhere, long texts included, it does not load; whole, it does.
    const std::string longer = SerializeNotes(
        {{"010126", std::string(70000, 'n')}, {"020126", "b"}}, std::string(300, 'e'));
    for (size_t size = 0; size < longer.size(); size += size < 400 ? 1 : 997) {
        testutil::WriteFileBytes(path, longer.substr(0, size));
        EXPECT_FALSE(LoadNotes(days, everyDay, path)) << size;
    }
    testutil::WriteFileBytes(path, longer);
    EXPECT_TRUE(LoadNotes(days, everyDay, path));
}

// A leftover is the start-up's to judge: a save neither fails on it nor writes over it.
TEST_F(NotesDiskTest, SaveBesideALeftoverTemporaryFileSucceedsAndLeavesIt) {
    const std::string path = PathOf("qlt_notes.dat");
    WritePrevious(path);
    testutil::WriteFileBytes(path + ".tmp", std::string(10000, 'x'));
    ASSERT_TRUE(SaveNotes(SampleDays(), "new", path));
    EXPECT_EQ(testutil::ReadFileBytes(path), SerializeNotes(SampleDays(), "new"));
    EXPECT_EQ(LeftoverTempFiles(path), std::vector<std::string>{path + ".tmp"});
    EXPECT_EQ(testutil::ReadFileBytes(path + ".tmp"), std::string(10000, 'x'));
}

TEST_F(NotesDiskTest, SaveToAnUnwritableTargetFailsCleanly) {
    // A folder with the file's name.
    const std::string folder = PathOf("qlt_notes.dat");
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(SaveNotes(SampleDays(), "new", folder));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(LeftoverTempFiles(folder).empty());

    // A folder that does not exist.
    const std::string nowhere = PathOf("no/such/folder/qlt_notes.dat");
    EXPECT_FALSE(SaveNotes(SampleDays(), "new", nowhere));
    EXPECT_FALSE(testutil::Exists(nowhere));
}

TEST_F(NotesDiskTest, EachFailingStepOfASaveLeavesTheOldFileOrTheNewBytes) {
    const std::string path = PathOf("qlt_notes.dat");
    const std::string fresh = SerializeNotes(SampleDays(), "new");
    for (const bool hadTarget : {true, false}) {
        for (const unsigned faults :
             {0u, +kFailCreateTemp, +kFailWrite, +kFailFlush, +kFailClose, +kFailReplace,
              +kFailReplaceDropsTarget, kFailReplace | kFailMove,
              kFailReplaceDropsTarget | kFailMove}) {
            SCOPED_TRACE("faults " + std::to_string(faults) + " target " + (hadTarget ? "1" : "0"));
            RemoveFile(path);
            for (const std::string& temp : LeftoverTempFiles(path)) {
                RemoveFile(temp);
            }
            const std::string previous = hadTarget ? WritePrevious(path) : "";
            const EReplaceResult result = ReplaceFileContents(path, fresh, faults);
            // A target that is gone once the new bytes are complete gets them by a move.
            const bool written =
                !(faults & (kFailCreateTemp | kFailWrite | kFailFlush | kFailClose));
            const bool gone = written && (!hadTarget || (faults & kFailReplaceDropsTarget));
            EReplaceResult expected = EReplaceResult::Unchanged;
            if (faults == 0 || (gone && !(faults & kFailMove))) {
                expected = EReplaceResult::Replaced;
            } else if (gone) {
                expected = EReplaceResult::LeftInTemp;
            }
            EXPECT_EQ(result, expected);
            if (result == EReplaceResult::Replaced) {
                EXPECT_EQ(testutil::ReadFileBytes(path), fresh);
            } else if (result == EReplaceResult::LeftInTemp) {
                EXPECT_FALSE(testutil::Exists(path));
            } else {
                EXPECT_EQ(testutil::Exists(path), hadTarget);
                EXPECT_EQ(testutil::ReadFileBytes(path), previous);
            }
            const std::vector<std::string> left = LeftoverTempFiles(path);
            ASSERT_EQ(left.size(), result == EReplaceResult::LeftInTemp ? 1u : 0u);
            if (!left.empty()) {
                // A later write that fails never touches the only complete copy.
                EXPECT_EQ(ReplaceFileContents(path, "later", kFailWrite),
                          EReplaceResult::Unchanged);
                EXPECT_EQ(LeftoverTempFiles(path), left);
                EXPECT_EQ(testutil::ReadFileBytes(left[0]), fresh);
            }
        }
    }
}

// One writer per data folder: a second holder, in this process or another, is refused until the
// first ends, and the lock file goes with its holder.
TEST_F(NotesDiskTest, AFolderLockHasOneHolderAndGoesWithIt) {
    const std::string path = PathOf("Quillet.lock");
    {
        CFolderLock first;
        ASSERT_EQ(first.Acquire(path), CFolderLock::EResult::Held);
        CFolderLock second;
        EXPECT_EQ(second.Acquire(path), CFolderLock::EResult::HeldElsewhere);
        EXPECT_FALSE(FileIsMissing(path));
    }
    EXPECT_TRUE(FileIsMissing(path));

    // A sync client that has the lock file for a moment is waited out; a holder past the wait
    // is another copy, found after exactly the wait.
    auto held = std::make_unique<CFolderLock>();
    ASSERT_EQ(held->Acquire(path), CFolderLock::EResult::Held);
    struct CReleasingClock : testutil::CFakeClock {
        void Sleep(unsigned wait) override {
            CFakeClock::Sleep(wait);
            if (ms >= releaseAt) {
                lock.reset();
            }
        }
        std::unique_ptr<CFolderLock> lock;
        uint64_t releaseAt = UINT64_MAX;
    } clock;
    CFolderLock waiting;
    EXPECT_EQ(AcquireFolderLock(waiting, path, clock, 2000), CFolderLock::EResult::HeldElsewhere);
    EXPECT_EQ(clock.ms, 2000u);
    clock.lock = std::move(held);
    clock.releaseAt = clock.ms + 700;
    EXPECT_EQ(AcquireFolderLock(waiting, path, clock, 2000), CFolderLock::EResult::Held);
    EXPECT_LT(clock.ms, 4000u);
    EXPECT_EQ(CFolderLock().Acquire(path), CFolderLock::EResult::HeldElsewhere);
    EXPECT_EQ(CFolderLock().Acquire(PathOf("no/such/folder/Quillet.lock")),
              CFolderLock::EResult::Unavailable);
}

// Backup agents and indexers read the files while the program runs: they neither fail its reads
// nor block its saves.
TEST_F(NotesDiskTest, ReadersThatShareTheFileNeitherFailNorBlockASave) {
    const std::string path = PathOf("qlt_notes.dat");
    WritePrevious(path);
    {
        CReadFile reader;
        ASSERT_TRUE(reader.Open(path));
        DayArray days;
        std::string everyDay;
        EXPECT_TRUE(LoadNotes(days, everyDay, path));
        EXPECT_TRUE(SaveNotes(SampleDays(), "new", path));
    }
    EXPECT_EQ(testutil::ReadFileBytes(path), SerializeNotes(SampleDays(), "new"));
    EXPECT_TRUE(LeftoverTempFiles(path).empty());
}

#ifndef _WIN32
// Root ignores permission bits, but not the immutable attribute.
TEST_F(NotesDiskTest, SaveOverAnImmutableFileLeavesItUntouched) {
    const std::string path = PathOf("qlt_notes.dat");
    const std::string previous = WritePrevious(path);
    const std::string quoted = "'" + path + "'";
    if (std::system(("chattr +i " + quoted + " 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "chattr +i is not available here";
    }
    const bool saved = SaveNotes(SampleDays(), "new", path);
    const std::string after = testutil::ReadFileBytes(path);
    const bool tempLeft = !LeftoverTempFiles(path).empty();
    ASSERT_EQ(std::system(("chattr -i " + quoted).c_str()), 0);
    EXPECT_FALSE(saved);
    EXPECT_EQ(after, previous);
    EXPECT_FALSE(tempLeft);
}
#endif
