#include "saving/save_policy.h"

#include "base/path.h"
#include "base/utf8.h"
#include "fake_files.h"
#include "storage/notes_file.h"
#include "storage/window_size.h"
#include "sync/copy_names.h"
#include "sync/notes_merge.h"

using namespace testutil;

namespace {

const SWindowPlace kPlace{SRect{0, 0, 215, 260}, SRect{0, 0, 1024, 768}, {}, 0};

TEST(LocalFolder, EachDataFolderHasOneOfItsOwnWhoseNameStays) {
    const std::string root = "C:\\Users\\me\\AppData\\Local\\Quillet\\";
    const std::string installed = FolderIdentity("C:\\USERS\\ME\\APPDATA\\ROAMING\\QUILLET\\");
    EXPECT_EQ(FolderIdentity("C:/USERS/ME/APPDATA/ROAMING/QUILLET"), installed);
    // Files of earlier runs are found only under the name they were kept under.
    EXPECT_EQ(LocalFolderFor(root, installed), root + "roaming-quillet-e0b96426\\");
    const std::string portable = LocalFolderFor(root, FolderIdentity("E:\\TOOLS\\QUILLET\\DATA\\"));
    EXPECT_EQ(portable, root + "quillet-data-b389df13\\");
    EXPECT_NE(LocalFolderFor(root, FolderIdentity("F:\\TOOLS\\QUILLET\\DATA")), portable);

    // Only what a folder's name may hold, never a character cut in two.
    std::string accents = "A";
    for (int i = 0; i < 13; ++i) {
        accents += "\xC3\x89"; // É
    }
    for (const std::string& identity : {std::string("\\\\?\\E:\\DATA"), "E:\\" + accents}) {
        const std::string folder = LocalFolderFor(root, identity);
        const std::string own = folder.substr(root.size(), folder.size() - root.size() - 1);
        EXPECT_EQ(own.find_first_of(":?\\/"), std::string::npos) << own;
        EXPECT_TRUE(IsValidUtf8(own)) << own;
        EXPECT_LE(own.size(), 24u + 1 + 8) << own;
    }
}

// Two copies on one computer, an installed one and a portable one, on one disk.
class LocalFolders : public ::testing::Test {
protected:
    SDataPaths PathsOf(const std::string& folder) const {
        SDataPaths paths = SDataPaths::InFolder(folder);
        paths.local = LocalFolderFor(kRoot, FolderIdentity(folder));
        return paths;
    }
    // The notes a start of the copy shows.
    SNotebook Start(const SDataPaths& paths) {
        CSavePolicy policy{paths, files, clock};
        SSettings settings;
        SNotebook notes;
        policy.Load(settings, notes, kPlace);
        return notes;
    }
    void SetUp() override {
        for (const SDataPaths* paths : {&installed, &portable}) {
            files.MakeFolder(paths->folder);
        }
        files.Put(installed.notes, SerializeNotes({{"071226", "Installed"}}, "every"),
                  clock.Now() - 120);
        files.Put(portable.notes, SerializeNotes({{"071226", "On the stick"}}, "every"),
                  clock.Now() - 120);
    }

    const std::string kRoot = "/local/Quillet/";
    CFakeClock clock;
    CFakeFiles files{clock};
    const SDataPaths installed = PathsOf("/APPDATA/QUILLET/");
    const SDataPaths portable = PathsOf("/STICK/DATA/");
};

// The window's size belongs to one copy on one computer; a file that holds no size gives none.
TEST_F(LocalFolders, EachCopyKeepsItsOwnWindowSize) {
    ASSERT_TRUE(KeepWindowSize(files, installed.local, SPoint{295, 401}));
    EXPECT_EQ(ReadWindowSize(files, installed.local), (SPoint{295, 401}));
    EXPECT_EQ(ReadWindowSize(files, portable.local), SPoint{});
    for (const char* damaged : {"", "295", "295 401 7", "-5 401", "0 401", "295  401",
                                "99999999 401", "295 401\n\n", "295\t401"}) {
        files.Put(portable.local + kWindowSizeName, damaged);
        EXPECT_EQ(ReadWindowSize(files, portable.local), SPoint{}) << damaged;
    }
    files.Put(portable.local + kWindowSizeName, "300 500");
    EXPECT_EQ(ReadWindowSize(files, portable.local), (SPoint{300, 500}));
}

// A portable copy whose folder takes nothing at log-off keeps its notes on this computer, for
// itself alone.
TEST_F(LocalFolders, ARecoveryFileGoesBackOnlyToTheCopyThatWroteIt) {
    {
        CSavePolicy policy{portable, files, clock};
        SSettings settings;
        SNotebook notes;
        policy.Load(settings, notes, kPlace);
        notes.days[0].strNote = "On the stick, typed";
        files.denied = {portable.settings, portable.notes,
                        portable.folder + RecoveryName(clock.Now())};
        ASSERT_FALSE(policy.SaveMain(settings, notes, kPlace, 1000).saved);
        files.denied.insert(portable.folder + RecoveryName(clock.Now()));
        EXPECT_EQ(FolderOf(policy.WriteRecovery(notes)), portable.local);
    }
    files.denied.clear();
    EXPECT_EQ(Start(installed), (SNotebook{{{"071226", "Installed"}}, "every"}));
    EXPECT_EQ(Start(portable), (SNotebook{{{"071226", "On the stick, typed"}}, "every"}));
}

// What earlier versions left in the root has no owner written on it: the installed copy, nearly
// always the one that wrote it, takes it over; a portable copy never sees it.
TEST_F(LocalFolders, OnlyTheInstalledCopyTakesOverWhatEarlierVersionsLeftInTheRoot) {
    files.Put(kRoot + RecoveryName(clock.Now() - 60),
              SerializeNotes({{"071226", "Left at log-off"}}, "every"));
    files.Put(kRoot + "qlt_notes.shared", "shared");
    EXPECT_EQ(Start(portable).days, (DayArray{{"071226", "On the stick"}}));

    files.HoldUntil(kRoot + "qlt_notes.shared", clock.ms + 1000);
    AdoptRootLocalFiles(files, kRoot, installed.local);
    EXPECT_EQ(files.Names(kRoot), (std::vector<std::string>{"qlt_notes.shared"}))
        << "one held by another program stays for the next start";
    // Nothing tells what an earlier version's recovery file was made from: both texts stay.
    EXPECT_EQ(PiecesOfText(Start(installed).days.at(0).strNote),
              (std::vector<std::string>{"Installed", "Left at log-off"}));
    clock.ms += 1000;
    AdoptRootLocalFiles(files, kRoot, installed.local);
    EXPECT_TRUE(files.Names(kRoot).empty());
    EXPECT_EQ(files.Get(installed.local + "qlt_notes.shared"), "shared");
    EXPECT_EQ(Start(portable).days, (DayArray{{"071226", "On the stick"}}));
}

} // namespace
