// The main window's start and end, and what the save cycle asks of the window.
#pragma once

#include "app/save_cycle_win.h"
#include "notes/note_area_win.h"
#include "storage/settings.h"
#include "ui/tray_icon_win.h"
#include "win/dialog_win.h"

#include <string>

class CWindowLook;

// The window's start and the ways it ends, and what the save life-cycle asks of the window.
class CWindowLife final : public ISaveCycleOwner {
public:
    CWindowLife(CDialog& window, const SSettings& settings, CNoteArea& noteArea, CSaveCycle& saves,
                CTrayIcon& tray, CWindowLook& look)
        : m_window(window), m_settings(settings), m_noteArea(noteArea), m_saves(saves),
          m_tray(tray), m_look(look) {}
    CWindowLife(const CWindowLife&) = delete;
    CWindowLife& operator=(const CWindowLife&) = delete;

    // Reads the data files; false when a file stayed busy and the user chose to end.
    bool Load();
    // A moment after the window shows: the tray icon, the band, the folder watch, and the rest
    // of the start while the window is idle.
    void FinishShowing();
    bool Shown() const { return m_bShown; }

    // Exit: the notes are saved, and a failure asks before the changes are lost.
    void CloseAfterExitSave();
    // The session ends: no question; what cannot be saved goes to a recovery file.
    void CloseAtSessionEnd();
    void Close(int result);
    // An error nothing else handled: saved once, told, and the process ends.
    [[noreturn]] void Fail();

    const SNotebook& CommittedNotes() override;
    void AdoptNotes(SNotebook notes) override;
    SWindowPlace WindowPlace() const override;
    void TellUser(const std::string& title, const std::string& text, bool warning) override;

private:
    // Off the screen and out of the notification area, before the last save.
    void LeaveScreen();
    [[noreturn]] void EndProcess();

    HWND Wnd() const { return m_window.GetSafeHwnd(); }

    CDialog& m_window;
    const SSettings& m_settings;
    CNoteArea& m_noteArea;
    CSaveCycle& m_saves;
    CTrayIcon& m_tray;
    CWindowLook& m_look;
    bool m_bFirstRun = false;
    bool m_bFailing = false;
    // The tray icon, the watch of the data folder, the backups and the history copy wait until
    // the window has shown and answers: under Wine the notification area alone takes tens of
    // milliseconds to answer, and the backups of a large notebook more.
    bool m_bShown = false;
};
