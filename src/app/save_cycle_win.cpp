// The save cycle's timers and events: start-up read, autosave, retries, folder looks, last saves.
#include "app/save_cycle_win.h"

#include "app/messages.h"
#include "base/ids.h"
#include "base/utf8_win.h"
#include "win/window_win.h"

namespace {

// A writer works in steps: the folder is looked at once it has been quiet a moment.
constexpr unsigned kFolderSettleMs = 500;
constexpr unsigned kFolderRetryMs = 1000;

} // namespace

CSaveCycle::CSaveCycle(const SDataPaths& paths, SSettings& settings)
    : m_policy(paths, m_files, m_clock), m_settings(settings) {}

bool CSaveCycle::Load(SNotebook& notes, bool& firstRun) {
    for (;;) {
        const SStartReport report = m_policy.Load(m_settings, notes, m_owner->WindowPlace());
        if (report.busyPath.empty()) {
            firstRun = report.firstRun;
            if (report.notesFromElsewhere) {
                // Merged from a recovery file or a conflict copy: written once the window shows.
                ::SetTimer(m_hWnd, kAutoSaveTimerId, kAutoSaveDelayMs, nullptr);
            }
            return true;
        }
        // Read as damaged, a file held by a backup program or scanner would be replaced by an
        // older copy: the user decides instead.
        if (MessageBoxUtf8(m_hWnd, BusyAtStartText(report.busyPath), "Quillet",
                           MB_RETRYCANCEL | MB_ICONWARNING | MB_SETFOREGROUND) != IDRETRY) {
            return false;
        }
    }
}

void CSaveCycle::StartWatching() {
    m_watch.Start(m_policy.Paths().folder, m_hWnd, kDataFolderChangedMessage);
    ::SetTimer(m_hWnd, kDataFolderTimerId, kFolderSettleMs, nullptr);
}

bool CSaveCycle::FinishStartStep() {
    if (m_policy.FinishStartStep()) {
        return true;
    }
    ShowNotices();
    return false;
}

void CSaveCycle::ShowNotices() {
    const std::string start = StartNoticeText(m_policy.TakeStartNotice());
    if (!start.empty()) {
        m_owner->TellUser(kStartNoticeTitle, start, true);
    }
    const std::string merged = MergeNoticeText(m_policy.TakeMergeNotice());
    if (!merged.empty()) {
        m_owner->TellUser("Quillet", merged, false);
    }
}

void CSaveCycle::OnTyped() const {
    ::SetTimer(m_hWnd, kAutoSaveTimerId, kAutoSaveDelayMs, nullptr);
}

SSaveReport CSaveCycle::Save(bool withBackups, unsigned busyWaitMs, bool automatic) {
    const SNotebook& notes = m_owner->CommittedNotes();
    const SWindowPlace place = m_owner->WindowPlace();
    SSaveReport report = withBackups
                             ? m_policy.SaveAll(m_settings, notes, place, busyWaitMs)
                             : m_policy.SaveMain(m_settings, notes, place, busyWaitMs, automatic);
    if (report.notesChanged) {
        m_owner->AdoptNotes(std::move(report.merged));
    }
    ::KillTimer(m_hWnd, kAutoSaveTimerId);
    if (report.saved && report.notesChanged && m_policy.NotesUnsaved(m_owner->CommittedNotes())) {
        // Another program kept writing while the save went on: what it brought waits.
        ::SetTimer(m_hWnd, kAutoSaveTimerId, kAutoSaveDelayMs, nullptr);
    }
    if (!report.saved) {
        ::SetTimer(m_hWnd, kAutoSaveTimerId, m_policy.RetryDelayMs(), nullptr);
        if (report.tellUser) {
            m_owner->TellUser("Quillet", SaveFailureText(report), true);
        }
    }
    ShowNotices();
    return report;
}

void CSaveCycle::SaveChanges() {
    ::KillTimer(m_hWnd, kAutoSaveTimerId);
    if (m_policy.IsLoaded() && (m_policy.WriteWaiting() ||
                                m_policy.HasUnsavedChanges(m_settings, m_owner->CommittedNotes(),
                                                           m_owner->WindowPlace()))) {
        Save(false, kQuickBusyWaitMs, true);
    }
}

bool CSaveCycle::SaveEverything() {
    return Save(true, kQuickBusyWaitMs).saved;
}

void CSaveCycle::LookAtFolder() {
    ::KillTimer(m_hWnd, kDataFolderTimerId);
    SDiskLook look = m_policy.LookAtFolder(m_owner->CommittedNotes());
    if (look.adopt) {
        m_owner->AdoptNotes(std::move(look.notes));
    }
    switch (look.change) {
    case EDiskChange::Merge:
        Save(false, kQuickBusyWaitMs, true);
        break;
    case EDiskChange::TryLater:
        ::SetTimer(m_hWnd, kDataFolderTimerId, kFolderRetryMs, nullptr);
        break;
    case EDiskChange::Reloaded:
    case EDiskChange::None:
        break;
    }
}

void CSaveCycle::OnFolderChanged() const {
    ::SetTimer(m_hWnd, kDataFolderTimerId, kFolderSettleMs, nullptr);
}

bool CSaveCycle::OnTimer(UINT_PTR id) {
    if (id == kAutoSaveTimerId) {
        SaveChanges();
        return true;
    }
    if (id == kDataFolderTimerId) {
        LookAtFolder();
        return true;
    }
    return false;
}

bool CSaveCycle::SaveForExit() {
    return Save(false, kExitBusyWaitMs).saved;
}

bool CSaveCycle::AskExitAnyway() const {
    return MessageBoxUtf8(m_hWnd, kExitFailureText, kExitFailureCaption,
                          MB_ICONERROR | MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void CSaveCycle::SaveForSessionEnd() {
    if (!m_policy.IsLoaded() || !m_policy.HasUnsavedChanges(m_settings, m_owner->CommittedNotes(),
                                                            m_owner->WindowPlace())) {
        return;
    }
    // The system waits for a program that says why; the save is short unless files are held.
    ::ShutdownBlockReasonCreate(m_hWnd, L"Saving your notes");
    if (!Save(false, kSessionEndBusyWaitMs).saved) {
        m_policy.WriteRecovery(m_owner->CommittedNotes());
    }
    ::ShutdownBlockReasonDestroy(m_hWnd);
}

bool CSaveCycle::SaveAfterError(std::string& recovered) {
    // Before the notes are loaded there is nothing of the user's in memory, and anything written
    // would replace their files with defaults.
    if (!m_policy.IsLoaded()) {
        return false;
    }
    if (Save(false, kSessionEndBusyWaitMs).saved) {
        return true;
    }
    recovered = m_policy.WriteRecovery(m_owner->CommittedNotes());
    return false;
}
