#include "app/window_life_win.h"

#include "app/messages.h"
#include "app/single_copy_win.h"
#include "app/window_look_win.h"
#include "base/ids.h"
#include "base/utf8_win.h"

namespace {

// Long enough for the removal to reach the notification area, which then carries it out.
constexpr DWORD kTrayRemovalWaitMs = 200;

} // namespace

bool CWindowLife::Load() {
    SNotebook notes;
    if (!m_w.saves.Load(notes, m_bFirstRun)) {
        return false;
    }
    m_w.noteArea.Rooms().SetNotes(std::move(notes));
    return true;
}

void CWindowLife::FinishShowing() {
    const HWND wnd = m_w.Wnd();
    m_look.CreateTips();
    m_w.tray.SetTip(TrayTipText(m_w.saves.Paths()));
    m_w.tray.Add(wnd, m_bFirstRun);
    // Showing the window places it above its hidden owner, which some systems take as leaving
    // the topmost band, and so may a new icon in the notification area: a stored "Always top"
    // is placed again now.
    if (m_w.settings.bAlwaysTop) {
        ::SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    m_w.saves.StartWatching();
    m_bShown = true;
}

void CWindowLife::CloseAfterExitSave() {
    LeaveScreen();
    CSaveCycle& saves = m_w.saves;
    if (!saves.SaveForExit()) {
        // The question comes with the window it is about.
        m_look.ApplyWindowShape();
        if (!saves.AskExitAnyway()) {
            CSingleCopy::MarkMainWindow(m_w.Wnd(), saves.Paths().folder);
            m_w.tray.Add(m_w.Wnd(), false);
            ::SetTimer(m_w.Wnd(), kClockTimerId, 100, nullptr);
            return;
        }
    }
    EndProcess();
}

void CWindowLife::CloseAtSessionEnd() {
    LeaveScreen();
    m_w.saves.SaveForSessionEnd();
    EndProcess();
}

void CWindowLife::EndProcess() {
    // The files are written and the window is out of sight: the process ends here rather than
    // take its windows down one by one, which may wait for a window manager (under Wine,
    // seconds without one). The folder's lock goes with the process.
    m_w.saves.StopWatching();
    m_w.tray.WaitRemoved(kTrayRemovalWaitMs);
    ::ExitProcess(0);
}

void CWindowLife::LeaveScreen() {
    // Gone from sight at once, by an empty shape: hiding a window may wait for the window
    // manager (under Wine, seconds without one), and the files are written first. A start
    // meanwhile waits for this copy to end.
    const HWND wnd = m_w.Wnd();
    ::KillTimer(wnd, kShownTimerId);
    ::KillTimer(wnd, kClockTimerId);
    CSingleCopy::UnmarkMainWindow(wnd);
    ::SetWindowRgn(wnd, ::CreateRectRgn(0, 0, 0, 0), TRUE);
    m_w.tray.RemoveWithoutWaiting();
}

void CWindowLife::Close(int result) {
    ::ShowWindow(m_w.Wnd(), SW_HIDE);
    m_w.saves.StopWatching();
    CSingleCopy::UnmarkMainWindow(m_w.Wnd());
    m_w.window.EndDialog(result);
}

void CWindowLife::Fail() {
    // Saved once: an error in the save itself must not loop back here.
    if (m_bFailing) {
        ::ExitProcess(3);
    }
    m_bFailing = true;
    m_w.tray.Remove();
    bool saved = false;
    std::string recovered;
    try {
        saved = m_w.saves.SaveAfterError(recovered);
    } catch (...) {
    }
    MessageBoxUtf8(m_w.Wnd(), UnexpectedErrorText(m_w.saves.IsLoaded(), saved, recovered),
                   "Quillet", MB_OK | MB_ICONERROR);
    ::ExitProcess(3);
}

const SNotebook& CWindowLife::CommittedNotes() {
    CNoteRooms& rooms = m_w.noteArea.Rooms();
    rooms.CommitNoteArea(m_w.settings.nRoom);
    return rooms.Notes();
}

void CWindowLife::AdoptNotes(SNotebook notes) {
    m_w.noteArea.Rooms().AdoptNotes(std::move(notes));
}

SWindowPlace CWindowLife::WindowPlace() const {
    return m_look.WindowPlace();
}

void CWindowLife::TellUser(const std::string& title, const std::string& text, bool warning) {
    if (warning) {
        m_w.tray.ShowWarning(title, text);
    } else {
        m_w.tray.ShowInfo(title, text);
    }
}
