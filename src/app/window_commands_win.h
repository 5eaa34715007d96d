// The main window's commands part: the menu, its keys, the tabs, the tray icon's clicks.
#pragma once

#include "app/main_window_win.h"
#include "app/notes_export_win.h"
#include "ui/accessible_win.h"
#include "ui/tray_icon_win.h"

#include <string>
#include <vector>

class CSettingsChanges;
class CWindowLife;
class CWindowLook;

// What the user asks of the window: the menu's commands, the window's own keys, the tabs, the
// popup menu and the tray icon's clicks, and the parts a screen reader presses.
class CWindowCommands final : public IPaintedPartsOwner {
public:
    CWindowCommands(SMainWindow& w, CTrayIcon& tray, CWindowLook& look, CWindowLife& life,
                    CSettingsChanges& changes)
        : m_w(w), m_tray(tray), m_look(look), m_life(life), m_changes(changes) {}
    CWindowCommands(const CWindowCommands&) = delete;
    CWindowCommands& operator=(const CWindowCommands&) = delete;

    // False for a notification the dialog routes itself; otherwise handled tells the dialog
    // whether the command was taken.
    bool Run(UINT id, UINT notifyCode, bool& handled);
    // Keys of the window itself; true when the key was taken.
    bool OnKey(const MSG& msg);
    // The program's own messages, the registered ones included; false for any other.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void BuildMenu();
    // The popup menu just below the menu button; from the keyboard with its first item selected.
    void ShowMainMenu(bool fromKeyboard);
    // What a click on a room's tab does.
    void ShowRoom(int room);
    // The guide beside the program, or the web page when the guide is not there.
    void OpenHelp() const;
    void RunAboutBox() const;

    std::vector<SPaintedPart> PaintedPartsNow() const override;
    void PressPaintedPart(int index) override;

private:
    bool OnRegisteredMessage(UINT msg, WPARAM wParam, LRESULT& result);
    LRESULT OnWake(WPARAM);
    LRESULT OnTaskbarCreated(WPARAM);
    LRESULT OnLiveHandles(WPARAM kind);
    int RadioIndex(EMenu menu) const;
    void RefreshTimeMenu();
    void ShowMenuAt(POINT screenPoint);
    void OnTrayNotify(LPARAM mouseMessage);
    void BringForward();
    // The search result at the notes box's caret: its day in the Dynamic room.
    void OpenResultAtCaret();
    // False when the user cancelled.
    bool ChooseCustomClockFormat();
    void ChooseFont(unsigned id);
    void ChooseColorTheme(int color);
    // A radio group's new choice marked in the menu and painted.
    void ShowChosen(EMenu menu, int index);
    void ChooseRandomColor();
    // Export and import of the notes.
    void SaveData();
    void LoadData();

    SMainWindow& m_w;
    CTrayIcon& m_tray;
    CWindowLook& m_look;
    CWindowLife& m_life;
    CSettingsChanges& m_changes;
    CNotesExport m_export;
};
