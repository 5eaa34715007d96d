// The packages as a user gets them: the installer run silently, over a running Quillet and
// removed again, and the portable zip unpacked. The target "package" makes them beside the tests.
#include "quillet_test_win.h"

#include "base/utf8_win.h"

#include <shlobj.h>

namespace e2e {
namespace {

constexpr const wchar_t* kUninstallKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillet";
constexpr Millis kInstallWait{60000};

std::string ShellFolder(int id) {
    wchar_t folder[MAX_PATH] = {};
    std::string path;
    ::SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, folder);
    WideToUtf8(folder, path);
    return path;
}

std::string InstallFolder() {
    return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Quillet\\";
}

std::string StartMenuShortcut() {
    return ShellFolder(CSIDL_PROGRAMS) + "\\Quillet.lnk";
}

std::string StartupShortcut() {
    return ShellFolder(CSIDL_STARTUP) + "\\Quillet.lnk";
}

// A value of the uninstall entry; empty when there is none.
std::string UninstallValue(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    std::string text;
    if (::RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value,
                       &size) == ERROR_SUCCESS) {
        WideToUtf8(value, text);
    }
    return text;
}

bool HasUninstallEntry() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

// Runs a command line to its end; true when it ended with status 0.
::testing::AssertionResult RunToEnd(const std::string& commandLine) {
    std::wstring wide;
    if (!Utf8ToWide(commandLine, wide)) {
        return ::testing::AssertionFailure() << "bad command line " << commandLine;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, &wide[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        return ::testing::AssertionFailure() << "cannot start " << commandLine;
    }
    DWORD status = STILL_ACTIVE;
    if (::WaitForSingleObject(process.hProcess, static_cast<DWORD>(kInstallWait.count())) ==
        WAIT_OBJECT_0) {
        ::GetExitCodeProcess(process.hProcess, &status);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (status != 0) {
        return ::testing::AssertionFailure() << commandLine << " ended with " << status;
    }
    return ::testing::AssertionSuccess();
}

class Packages : public QuilletTest {
protected:
    void TearDown() override {
        QuilletTest::TearDown();
        // Whatever a failed case left installed or unpacked.
        RemoveFolderTree(InstallFolder());
        for (const std::string& link : {StartMenuShortcut(), StartupShortcut()}) {
            std::wstring wide;
            Utf8ToWide(link, wide);
            ::DeleteFileW(wide.c_str());
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
        // The rest of the unpacked zip stays for a run of the cases alone; ctest unpacks anew.
        RemoveFolderTree(PortableFolder() + "Data");
    }
    // The zip unpacks into a folder of its own.
    static std::string PortableFolder() {
        return BesideTests(QUILLET_PORTABLE_DIR) + "\\Quillet\\";
    }
};

TEST_F(Packages, InstallerReplacesARunningQuilletThroughExitAndItsRemovalKeepsTheNotes) {
    const std::string setup = "\"" + BesideTests(QUILLET_SETUP_NAME) + "\" /S";
    const std::string folder = InstallFolder();
    const std::string exe = folder + "Quillet.exe";
    ASSERT_TRUE(RunToEnd(setup));
    for (const char* name : {"Quillet.exe", "Quillet.html", "Uninstall.exe"}) {
        EXPECT_TRUE(FileExists(folder + name)) << name;
    }
    EXPECT_TRUE(FileExists(StartMenuShortcut()));
    EXPECT_TRUE(FileExists(StartupShortcut()));
    EXPECT_EQ(UninstallValue(L"DisplayName"), "Quillet");
    EXPECT_EQ(UninstallValue(L"DisplayVersion"), QUILLET_VERSION);
    EXPECT_EQ(UninstallValue(L"InstallLocation") + "\\", folder);
    EXPECT_EQ(UninstallValue(L"DisplayIcon"), exe + ",0");
    const std::string uninstall = UninstallValue(L"QuietUninstallString");
    EXPECT_EQ(uninstall, "\"" + folder + "Uninstall.exe\" /S");

    // An older exe in place shows whether the next install replaced it.
    const std::string installed = ReadFileBytes(exe);
    ASSERT_TRUE(WriteFileBytes(exe, installed + "older"));
    ASSERT_TRUE(m_app.Start(exe));
    ASSERT_TRUE(m_app.SetNotesText("Typed before the update"));
    ASSERT_TRUE(RunToEnd(setup));
    EXPECT_FALSE(m_app.IsRunning());
    EXPECT_EQ(ReadNotesFile(m_paths.notes).days,
              (DayArray{{KeyOf(Today()), "Typed before the update"}}));
    EXPECT_TRUE(ReadFileBytes(exe) == installed);
    ASSERT_TRUE(RunToEnd(setup + " /NOSTARTUP"));
    EXPECT_FALSE(FileExists(StartupShortcut())) << "/NOSTARTUP made a Startup shortcut";

    m_app.Kill();
    ASSERT_TRUE(m_app.Start(exe));
    ASSERT_TRUE(m_app.SetNotesText("Typed before the removal"));
    // A portable copy beside it is no part of the installation: it keeps running, its notes
    // untouched.
    CQuilletApp portable;
    ASSERT_TRUE(portable.Start(PortableFolder() + "Quillet.exe"));
    ASSERT_TRUE(portable.SetNotesText("Typed on a stick"));
    // The uninstaller goes on from a copy of itself and ends before it.
    ASSERT_TRUE(RunToEnd(uninstall));
    EXPECT_TRUE(WaitUntil([&] {
        return !DirectoryExists(folder) && !FileExists(StartMenuShortcut()) &&
               !FileExists(StartupShortcut()) && !HasUninstallEntry();
    }));
    EXPECT_TRUE(m_app.WaitForExit());
    EXPECT_EQ(ReadNotesFile(m_paths.notes).days,
              (DayArray{{KeyOf(Today()), "Typed before the removal"}}));
    EXPECT_TRUE(portable.IsRunning()) << "the uninstaller closed a portable copy";
    EXPECT_EQ(portable.NotesText(), "Typed on a stick");
    portable.Kill();
}

TEST_F(Packages, PortableZipKeepsTheNotesBesideTheProgram) {
    const std::string folder = PortableFolder();
    ASSERT_EQ(FolderEntries(BesideTests(QUILLET_PORTABLE_DIR) + "\\"),
              (std::vector<std::string>{"Quillet"}));
    ASSERT_EQ(FolderEntries(folder),
              (std::vector<std::string>{"LICENSE.txt", "Quillet.exe", "Quillet.html",
                                        "Quillet.portable", "README.txt"}));
    EXPECT_EQ(ReadFileBytes(folder + "Quillet.portable"), "");
    // The user guide, for users: no build command, a caption where a picture stood.
    const std::string guide = ReadFileBytes(folder + "README.txt");
    EXPECT_NE(guide.find("Two computers, one notebook\r\n"), std::string::npos);
    for (const char* developers : {"cmake", "apt-get", ".png", "](", "**", "\r\n\r\n\r\n"}) {
        EXPECT_EQ(guide.find(developers), std::string::npos) << developers;
    }
    EXPECT_NE(guide.find("[Picture: The window folded to its title strip]"), std::string::npos);
    // The help page shows the window where it explains it, from the page itself.
    const std::string page = ReadFileBytes(folder + "Quillet.html");
    EXPECT_NE(page.find("<img src=\"data:image/png;base64,"), std::string::npos);
    EXPECT_EQ(page.find("src=\"docs/"), std::string::npos);
    ASSERT_TRUE(m_app.Start(folder + "Quillet.exe"));
    ASSERT_TRUE(m_app.SetNotesText("Typed on a stick"));
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(ReadNotesFile(SDataPaths::InFolder(folder + "Data\\").notes).days,
              (DayArray{{KeyOf(Today()), "Typed on a stick"}}));
    EXPECT_FALSE(DirectoryExists(m_paths.folder));
}

} // namespace
} // namespace e2e
