#pragma once

// The fixture of every end-to-end case: an empty storage folder, one Quillet process, and the
// clean-up that ends the process and undoes file faults whatever the case did.

#include "data_folder_win.h"
#include "quillet_app_win.h"

#include "base/ids.h"
#include "base/layout.h"
#include "notes/day_notes.h"
#include "storage/notes_file.h"
#include "storage/settings.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

void PrintTo(const SDay& day, std::ostream* out);

namespace e2e {

// Command ids of the popup menu.
constexpr UINT kCmdSaveAll = ID_SAVE_ALL;
constexpr UINT kCmdExit = ID_EXIT;

// What a notes file holds.
struct SNotes {
    bool read = false;
    DayArray days;
    std::string everyDay;
};

SNotes ReadNotesFile(const std::string& path);
// A file or folder next to the test program, where the build puts Quillet.exe and the packages.
std::string BesideTests(const std::string& name);
// Quillet.exe next to the test program, or where QUILLET_EXE says.
std::string QuilletExePath();
SRect WindowRectOf(HWND window);
SRect DesktopRect();

class QuilletTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts Quillet and waits for its main window.
    ::testing::AssertionResult Launch();
    // Ends the process through the Exit command and waits for it.
    ::testing::AssertionResult ExitQuillet();
    // The first-run notes that Quillet makes for today.
    static DayArray FirstRunDays();
    static std::string FirstRunEveryDay() { return "Every day area..."; }
    // Files in the storage folder: any bytes, or settings and notes as Quillet writes them.
    ::testing::AssertionResult SeedBytes(const std::string& path, const std::string& bytes);
    ::testing::AssertionResult SeedSettings(const SSettings& settings, const std::string& path);
    ::testing::AssertionResult SeedNotes(const DayArray& days, const std::string& everyDay,
                                         const std::string& path);
    // The settings that a first run gives a window of the main window's size.
    SSettings DefaultSettingsForMainWindow() const;

    CQuilletApp m_app;
    SDataPaths m_paths;
    CImmutableFile m_immutable;
};

} // namespace e2e
