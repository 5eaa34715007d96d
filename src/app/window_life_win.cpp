// The main window's start after the files are read, and each way it ends.
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
    if (!m_saves.Load(notes, m_bFirstRun)) {
        return false;
    }
    m_noteArea.Rooms().SetNotes(std::move(notes));
    return true;
}

void CWindowLife::FinishShowing() {
    const HWND wnd = Wnd();
    m_noteArea.HoldInputMethod(false);
    m_look.CreateTips();
    m_tray.SetTip(TrayTipText(m_saves.Paths()));
    m_tray.Add(wnd, m_bFirstRun);
    // Showing the window places it above its hidden owner, which some systems take as leaving
    // the topmost band, and so may a new icon in the notification area: a stored "Always top"
    // is placed again now.
    if (m_settings.bAlwaysTop) {
        ::SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    m_saves.StartWatching();
    m_bShown = true;
}

void CWindowLife::CloseAfterExitSave() {
    LeaveScreen();
    CSaveCycle& saves = m_saves;
    if (!saves.SaveForExit()) {
        // The question comes with the window it is about.
        m_look.ApplyWindowShape();
        if (!saves.AskExitAnyway()) {
            CSingleCopy::MarkMainWindow(Wnd(), saves.Paths().folder);
            m_tray.Add(Wnd(), false);
            ::SetTimer(Wnd(), kClockTimerId, 100, nullptr);
            return;
        }
    }
    EndProcess();
}

void CWindowLife::CloseAtSessionEnd() {
    LeaveScreen();
    m_saves.SaveForSessionEnd();
    EndProcess();
}

void CWindowLife::EndProcess() {
    // The files are written and the window is out of sight: the process ends here rather than
    // take its windows down one by one, which may wait for a window manager (under Wine,
    // seconds without one). The folder's lock goes with the process.
    m_saves.StopWatching();
    m_tray.WaitRemoved(kTrayRemovalWaitMs);
    ::ExitProcess(0);
}

void CWindowLife::LeaveScreen() {
    // Gone from sight at once, by an empty shape: hiding a window may wait for the window
    // manager (under Wine, seconds without one), and the files are written first. A start
    // meanwhile waits for this copy to end.
    const HWND wnd = Wnd();
    ::KillTimer(wnd, kShownTimerId);
    ::KillTimer(wnd, kClockTimerId);
    CSingleCopy::UnmarkMainWindow(wnd);
    ::SetWindowRgn(wnd, ::CreateRectRgn(0, 0, 0, 0), TRUE);
    m_tray.RemoveWithoutWaiting();
}

void CWindowLife::Close(int result) {
    ::ShowWindow(Wnd(), SW_HIDE);
    m_saves.StopWatching();
    CSingleCopy::UnmarkMainWindow(Wnd());
    m_window.EndDialog(result);
}

void CWindowLife::Fail() {
    // Saved once: an error in the save itself must not loop back here.
    if (m_bFailing) {
        ::ExitProcess(3);
    }
    m_bFailing = true;
    m_tray.Remove();
    bool saved = false;
    std::string recovered;
    try {
        saved = m_saves.SaveAfterError(recovered);
    } catch (...) {
    }
    MessageBoxUtf8(Wnd(), UnexpectedErrorText(m_saves.IsLoaded(), saved, recovered), "Quillet",
                   MB_OK | MB_ICONERROR);
    ::ExitProcess(3);
}

const SNotebook& CWindowLife::CommittedNotes() {
    CNoteRooms& rooms = m_noteArea.Rooms();
    rooms.CommitNoteArea(m_settings.nRoom);
    return rooms.Notes();
}

void CWindowLife::AdoptNotes(SNotebook notes) {
    m_noteArea.Rooms().AdoptNotes(std::move(notes));
}

SWindowPlace CWindowLife::WindowPlace() const {
    return m_look.WindowPlace();
}

void CWindowLife::TellUser(const std::string& title, const std::string& text, bool warning) {
    if (warning) {
        m_tray.ShowWarning(title, text);
    } else {
        m_tray.ShowInfo(title, text);
    }
}
