#include "quillet_test_win.h"

#include "base/time_format.h"
#include "base/utf8_win.h"
#include "storage/storage.h"

#include <shlobj.h>

#include <cstdlib>
#include <filesystem>

void PrintTo(const SDay& day, std::ostream* out) {
    *out << "{\"" << day.strDate << "\", " << ::testing::PrintToString(day.strNote) << "}";
}

namespace e2e {

std::string BesideTests(const std::string& name) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (std::filesystem::path(self).parent_path() / std::filesystem::u8path(name)).u8string();
}

std::string QuilletExePath() {
    std::string path;
    if (const wchar_t* given = ::_wgetenv(L"QUILLET_EXE")) {
        WideToUtf8(given, path);
        return path;
    }
    return BesideTests("Quillet.exe");
}

namespace {

::testing::AssertionResult WriteInFolder(const std::string& folder, const std::string& path,
                                         const std::string& bytes) {
    std::wstring wide;
    if (Utf8ToWide(folder, wide)) {
        ::CreateDirectoryW(wide.c_str(), nullptr);
    }
    if (!WriteFileBytes(path, bytes)) {
        return ::testing::AssertionFailure() << "cannot write " << path;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

SNotes ReadNotesFile(const std::string& path) {
    SNotes notes;
    notes.read = LoadNotes(notes.days, notes.everyDay, path);
    return notes;
}

SRect WindowRectOf(HWND window) {
    RECT rc{};
    ::GetWindowRect(window, &rc);
    return SRect{rc.left, rc.top, rc.right, rc.bottom};
}

SRect DesktopRect() {
    return WindowRectOf(::GetDesktopWindow());
}

void QuilletTest::SetUp() {
    m_paths = QuilletPaths();
    ASSERT_TRUE(RemoveFolderTree(m_paths.folder)) << "cannot clear " << m_paths.folder;
    // This computer's own records of the data folder, its last write among them, would bring
    // an earlier case's notes back.
    m_paths.local = LocalFolderOfCopy(m_paths.folder);
    ASSERT_TRUE(RemoveFolderTree(m_paths.local)) << "cannot clear " << m_paths.local;
}

void QuilletTest::TearDown() {
    m_app.Kill();
    EXPECT_TRUE(m_immutable.Release()) << "chattr -i failed; clear the storage folder by hand";
    RemoveFolderTree(m_paths.folder);
}

::testing::AssertionResult QuilletTest::Launch() {
    const std::string exe = QuilletExePath();
    if (!FileExists(exe)) {
        return ::testing::AssertionFailure() << "no " << exe;
    }
    if (!m_app.Start(exe)) {
        return ::testing::AssertionFailure() << "no main window of " << exe;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult QuilletTest::ExitQuillet() {
    if (!m_app.PostCommand(kCmdExit) || !m_app.WaitForExit()) {
        return ::testing::AssertionFailure() << "Exit did not end the process";
    }
    return ::testing::AssertionSuccess();
}

DayArray QuilletTest::FirstRunDays() {
    return {SDay{FormatTime(CurrentTime(), "%d%m%y"), "My first note..."}};
}

::testing::AssertionResult QuilletTest::SeedBytes(const std::string& path,
                                                  const std::string& bytes) {
    return WriteInFolder(m_paths.folder, path, bytes);
}

::testing::AssertionResult QuilletTest::SeedSettings(const SSettings& settings,
                                                     const std::string& path) {
    return WriteInFolder(m_paths.folder, path, SerializeSettings(settings));
}

::testing::AssertionResult QuilletTest::SeedNotes(const DayArray& days, const std::string& everyDay,
                                                  const std::string& path) {
    return WriteInFolder(m_paths.folder, path, SerializeNotes(days, everyDay));
}

SSettings QuilletTest::DefaultSettingsForMainWindow() const {
    SSettings settings;
    SetDefaultSettings(settings, WindowRectOf(m_app.Main()), DesktopRect());
    return settings;
}

} // namespace e2e
