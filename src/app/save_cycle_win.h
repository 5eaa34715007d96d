// When the data files are read and written while the window lives, around the saving policy.
#pragma once

#include "base/day_note.h"
#include "storage/file_system.h"
#include "storage/folder_watch_win.h"
#include "saving/save_policy.h"
#include "storage/settings.h"
#include "storage/storage.h"

#include <windows.h>

#include <string>

// What the save life-cycle needs of the window it serves.
class ISaveCycleOwner {
public:
    // The shown room's text taken into the notes, and the notes.
    virtual const SNotebook& CommittedNotes() = 0;
    // Notes that the files brought: shown in place of those in memory.
    virtual void AdoptNotes(SNotebook notes) = 0;
    virtual SWindowPlace WindowPlace() const = 0;
    // A balloon of the tray icon.
    virtual void TellUser(const std::string& title, const std::string& text, bool warning) = 0;

protected:
    ~ISaveCycleOwner() = default;
};

// When the data files are read and written while the window lives: the start-up read, the
// save a few seconds after typing, the retries of a failed save, the look at the data folder
// when another program changes it, the saves at Exit and at the end of the session, and the
// recovery file for notes that cannot be saved where they belong.
class CSaveCycle {
public:
    // The settings are read in at start, and the window's corner in them follows the window as
    // they are written; every other change of them is CSettingsChanges'.
    CSaveCycle(const SDataPaths& paths, SSettings& settings);
    CSaveCycle(const CSaveCycle&) = delete;
    CSaveCycle& operator=(const CSaveCycle&) = delete;

    // Before anything is read: the window and the part that holds what it shows.
    void Attach(HWND window, ISaveCycleOwner& owner) {
        m_hWnd = window;
        m_owner = &owner;
    }
    // Reads the data files into settings and notes; false when a file stayed busy and the user
    // chose to end. firstRun: no settings could be read.
    bool Load(SNotebook& notes, bool& firstRun);
    bool IsLoaded() const { return m_policy.IsLoaded(); }
    // The settings as the window applied them are no change to save.
    void TakeSettingsAsSaved() { m_policy.TakeSettingsAsSaved(m_settings, m_owner->WindowPlace()); }
    // Once the window shows: the folder is watched, and what changed before is looked at.
    void StartWatching();
    // The rest of the start, a step a call while the window is idle; true while steps remain.
    bool FinishStartStep();

    // Typing: the notes are saved a few seconds after it stops.
    void OnTyped() const;
    // Before the user turns away or the machine sleeps: what changed is written.
    void SaveChanges();
    // Both main files and both backups (Ctrl+S, Save Data...).
    bool SaveEverything();
    // The data folder changed, or the window came back: notes saved elsewhere show.
    void LookAtFolder();
    // The folder watch saw a change: it is looked at once it has been quiet a moment.
    void OnFolderChanged() const;
    // A timer of the cycle's went off; false for a timer that is not its own.
    bool OnTimer(UINT_PTR id);

    const SDataPaths& Paths() const { return m_policy.Paths(); }
    // Exit: saved with a longer wait; false when the save failed.
    bool SaveForExit();
    // After a failed Exit save: true when the user chose to end anyway.
    bool AskExitAnyway() const;
    // The session ends: saved with the short wait the system allows, with the reason shown;
    // notes that cannot be saved go to a recovery file.
    void SaveForSessionEnd();
    // After an unexpected error: saved if anything is loaded; recovered names a recovery file
    // when the save failed. True when saved.
    bool SaveAfterError(std::string& recovered);
    void StopWatching() { m_watch.Stop(); }

private:
    // automatic: a save that comes again by itself.
    SSaveReport Save(bool withBackups, unsigned busyWaitMs, bool automatic = false);
    void ShowNotices();

    CDiskFileSystem m_files;
    CSystemClock m_clock;
    CSavePolicy m_policy;
    CFolderWatch m_watch;
    SSettings& m_settings;
    ISaveCycleOwner* m_owner = nullptr;
    HWND m_hWnd = nullptr;
};
