// Other programs in the data folder: a scanner or backup program holding a file while Quillet
// starts, a sync client bringing in notes saved on another computer while it runs.
#include "quillet_test_win.h"

#include <regex>
#include <thread>

namespace e2e {
namespace {

// A file opened as a scanner or backup program may open it: sharing nothing.
class CHeldFile {
public:
    explicit CHeldFile(const std::string& path)
        : m_file(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~CHeldFile() {
        if (m_release.joinable()) {
            m_release.join();
        }
        Release();
    }
    CHeldFile(const CHeldFile&) = delete;
    CHeldFile& operator=(const CHeldFile&) = delete;

    bool Held() const { return m_file != INVALID_HANDLE_VALUE; }
    void Release() {
        if (m_file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(m_file);
            m_file = INVALID_HANDLE_VALUE;
        }
    }
    void ReleaseAfter(Millis delay) {
        m_release = std::thread([this, delay] {
            ::Sleep(static_cast<DWORD>(delay.count()));
            Release();
        });
    }

private:
    HANDLE m_file;
    std::thread m_release;
};

bool HasKeptAsideCopy(const std::string& folder) {
    for (const std::string& name : FolderEntries(folder)) {
        if (name.find(".unreadable-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

using OtherPrograms = QuilletTest;

// Read as damaged, the held file would give way to the older backup, and the first save would
// write the older notes over the newest.
TEST_F(OtherPrograms, ANotesFileHeldWhileQuilletStartsIsWaitedForAndKept) {
    ASSERT_TRUE(SeedNotes({{KeyOf(Today()), "Newest note"}}, "Newest", m_paths.notes));
    ASSERT_TRUE(SeedNotes({{KeyOf(Today()), "Older note"}}, "Older", m_paths.notesBackup));
    const std::string newest = ReadFileBytes(m_paths.notes);
    CHeldFile scanner(m_paths.notes);
    ASSERT_TRUE(scanner.Held());
    scanner.ReleaseAfter(Millis(4000));
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "Newest note");
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(ReadFileBytes(m_paths.notes), newest);
    EXPECT_FALSE(HasKeptAsideCopy(m_paths.folder));
}

TEST_F(OtherPrograms, AFileHeldPastTheWaitIsNamedAndCancelEndsWithoutWritingAnything) {
    ASSERT_TRUE(SeedNotes({{KeyOf(Today()), "Newest note"}}, "Newest", m_paths.notes));
    const std::vector<std::string> before = FolderEntries(m_paths.folder);
    CHeldFile scanner(m_paths.notes);
    ASSERT_TRUE(scanner.Held());
    // The window stays hidden while Quillet asks.
    EXPECT_FALSE(m_app.Start(QuilletExePath()));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<HWND> dialogs = m_app.OtherDialogs();
        box = dialogs.empty() ? nullptr : dialogs.front();
        return box != nullptr;
    }));
    const SMessageBox shown = m_app.ReadMessageBox(box);
    EXPECT_EQ(shown.caption, "Quillet");
    EXPECT_NE(shown.text.find(m_paths.notes), std::string::npos) << shown.text;
    EXPECT_NE(::GetDlgItem(box, IDRETRY), nullptr);
    EXPECT_NE(::GetDlgItem(box, IDCANCEL), nullptr);
    ASSERT_TRUE(m_app.Post(box, WM_COMMAND, IDCANCEL, 0));
    EXPECT_TRUE(m_app.WaitForExit());
    scanner.Release();
    EXPECT_EQ(FolderEntries(m_paths.folder), before);
    EXPECT_FALSE(FileExists(m_paths.lock));
}

// What a sync client brings in shows while Quillet runs; typed on both computers, a day keeps
// both texts.
TEST_F(OtherPrograms, NotesSavedOnAnotherComputerShowAndAreMergedWithTyping) {
    const SDate other = OtherDayThisMonth();
    ASSERT_TRUE(SeedNotes({{KeyOf(Today()), "Morning note"}}, "Every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    ASSERT_EQ(m_app.NotesText(), "Morning note");

    DayArray laptop{{KeyOf(Today()), "Evening note from the laptop"}, {KeyOf(other), "Laptop"}};
    if (other.day < Today().day) {
        std::swap(laptop[0], laptop[1]);
    }
    ASSERT_TRUE(WriteFileBytes(m_paths.notes, SerializeNotes(laptop, "Every day")));
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == "Evening note from the laptop"; },
                          Millis(5000)))
        << "shows " << m_app.NotesText();

    ASSERT_TRUE(m_app.SetNotesText("Typed here"));
    for (SDay& day : laptop) {
        if (day.strDate == KeyOf(Today())) {
            day.strNote = "Typed on the laptop";
        }
    }
    ASSERT_TRUE(WriteFileBytes(m_paths.notes, SerializeNotes(laptop, "Every day")));
    std::string merged;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (const SDay& day : ReadNotesFile(m_paths.notes).days) {
                if (day.strDate == KeyOf(Today())) {
                    merged = day.strNote;
                }
            }
            return merged.find("Typed here") != std::string::npos;
        },
        Millis(5000)))
        << "the file holds " << merged;
    // Both pieces once, in the order they were saved, parted by one line.
    std::smatch pieces;
    const std::regex kept(
        "(Typed here|Typed on the laptop)\r\n----- also saved elsewhere, "
        "\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d -----\r\n(Typed here|Typed on the laptop)");
    EXPECT_TRUE(std::regex_match(merged, pieces, kept) && pieces[1] != pieces[2]) << merged;
    EXPECT_EQ(m_app.NotesText(), merged);
    EXPECT_EQ(ReadNotesFile(m_paths.notes).days.size(), 2u);

    // Closed, the file is replaced by the laptop's older version and a day more ("newest
    // wins"): the next start has this computer's last text beside the laptop's new day.
    ASSERT_TRUE(ExitQuillet());
    const SDate third = OtherDayThisMonth({other.day});
    DayArray later = laptop;
    later.push_back({KeyOf(third), "Third from the laptop"});
    SortDays(later, true);
    ASSERT_TRUE(WriteFileBytes(m_paths.notes, SerializeNotes(later, "Every day")));
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), merged);
    ASSERT_TRUE(m_app.SelectDay(third));
    EXPECT_EQ(m_app.NotesText(), "Third from the laptop");
}

// Sync programs bring what waited for the computer right after a log-on, often while Quillet
// starts: a version that lands between the read and the first look at the folder is the other
// computer's change alone, merged against what the start read.
TEST_F(OtherPrograms, NotesThatLandJustAfterTheWindowShowsAreTakenIn) {
    ASSERT_TRUE(SeedNotes({{KeyOf(Today()), "Morning note"}}, "Every day", m_paths.notes));
    for (const int landsAfterMs : {0, 150, 400, 800}) {
        const std::string typed = "Typed here before " + std::to_string(landsAfterMs);
        ASSERT_TRUE(Launch());
        ASSERT_TRUE(m_app.SetNotesText(typed));
        ASSERT_TRUE(ExitQuillet());

        ASSERT_TRUE(Launch());
        ASSERT_EQ(m_app.NotesText(), typed);
        ::Sleep(static_cast<DWORD>(landsAfterMs));
        const std::string laptop = typed + "\r\nand a line from the laptop";
        const std::string beside = m_paths.notes + ".sync-part";
        ASSERT_TRUE(
            WriteFileBytes(beside, SerializeNotes({{KeyOf(Today()), laptop}}, "Every day")));
        ASSERT_TRUE(::MoveFileExA(beside.c_str(), m_paths.notes.c_str(),
                                  MOVEFILE_REPLACE_EXISTING));
        EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == laptop; }, Millis(5000)))
            << landsAfterMs << " ms in, shows " << m_app.NotesText();
        ASSERT_TRUE(ExitQuillet());
        EXPECT_EQ(ReadNotesFile(m_paths.notes).days, (DayArray{{KeyOf(Today()), laptop}}))
            << landsAfterMs << " ms in";
    }
}

// The guard against a stale copy landing just after our write does not outlast it.
TEST_F(OtherPrograms, ADaySavedHereAndThenDeletedOnAnotherComputerStaysDeleted) {
    ASSERT_TRUE(SeedNotes({{KeyOf(Today()), "Morning note"}}, "Every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SelectDay(OtherDayThisMonth()));
    ASSERT_TRUE(m_app.SetNotesText("dentist 3pm"));
    ASSERT_TRUE(m_app.SelectDay(Today()));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    ASSERT_NE(ReadFileBytes(m_paths.notes).find("dentist 3pm"), std::string::npos);

    // Seen here past the seconds a sync program may take to bring a copy read before our save.
    ::Sleep(9000);
    const std::string laptop = "Morning note, seen on the laptop";
    ASSERT_TRUE(
        WriteFileBytes(m_paths.notes, SerializeNotes({{KeyOf(Today()), laptop}}, "Every day")));
    ASSERT_TRUE(WaitUntil([&] { return m_app.NotesText() == laptop; }, Millis(5000)))
        << "shows " << m_app.NotesText();
    for (char c : std::string(" typed")) {
        ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_CHAR, static_cast<WPARAM>(c), 0));
    }
    EXPECT_TRUE(
        WaitUntil([&] { return ReadFileBytes(m_paths.notes).find("typed") != std::string::npos; },
                  Millis(10000)));
    EXPECT_EQ(ReadFileBytes(m_paths.notes).find("dentist 3pm"), std::string::npos);
}

// A sync program that met changes from both computers leaves the other's version beside the
// notes file instead.
TEST_F(OtherPrograms, ASyncConflictCopyIsMergedInSavedAndPutAside) {
    ASSERT_TRUE(SeedNotes({{KeyOf(Today()), "Morning note"}}, "Every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    const std::string name = "qlt_notes.sync-conflict-20261209-101010-ABCDEFG.dat";
    const DayArray laptop{{KeyOf(Today()), "Morning note\r\nand one from the laptop"}};
    const std::string copy = SerializeNotes(laptop, "Every day");
    ASSERT_TRUE(WriteFileBytes(m_paths.folder + name, copy));
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == laptop[0].strNote; }, Millis(5000)))
        << "shows " << m_app.NotesText();
    EXPECT_TRUE(WaitUntil([&] { return ReadNotesFile(m_paths.notes).days == laptop; }));
    std::string merged;
    EXPECT_TRUE(WaitUntil([&] {
        merged = EntryStartingWith(m_paths.folder, name + ".merged-");
        return !merged.empty() && !FileExists(m_paths.folder + name);
    }));
    EXPECT_EQ(ReadFileBytes(m_paths.folder + merged), copy);
    EXPECT_TRUE(WaitUntil([&] {
        return BalloonShown(
            "The notes of a copy that a sync program made beside them were merged in: " + name +
            ".");
    }));
}

// Nobody watches an autosave: its failure shows in a balloon, and a later try saves the notes.
TEST_F(OtherPrograms, AnAutosaveThatFailsIsToldAndTriedAgain) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    ASSERT_TRUE(m_immutable.Apply(m_paths.notes));
    for (char c : std::string(" typed")) {
        ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_CHAR, static_cast<WPARAM>(c), 0));
    }
    EXPECT_TRUE(WaitUntil([] {
        return BalloonShown("The notes could not be saved: qlt_notes.dat is read-only or "
                            "access to it is denied.");
    }));
    ASSERT_TRUE(m_immutable.Release());
    EXPECT_TRUE(WaitUntil(
        [&] {
            return ReadNotesFile(m_paths.notes).days ==
                   DayArray{{KeyOf(Today()), "My first note... typed"}};
        },
        Millis(10000)));
}

} // namespace
} // namespace e2e
