// The one part that changes the settings; every other part reads them.
#pragma once

#include "app/window_look_win.h"
#include "notes/note_area_win.h"
#include "storage/settings.h"

#include <string>

// The one part that changes the settings: each change the user or the start can make has a name
// here, and the window's look follows from the settings it leaves. Every other part reads them.
class CSettingsChanges {
public:
    enum class EFlag { LockMoving, AlwaysTop, MondayFirst, WeekNumbers };

    CSettingsChanges(SSettings& settings, CWindowLook& look, CNoteArea& noteArea)
        : m_settings(settings), m_look(look), m_noteArea(noteArea) {}
    CSettingsChanges(const CSettingsChanges&) = delete;
    CSettingsChanges& operator=(const CSettingsChanges&) = delete;

    // What the window has before the files are read.
    void Begin();
    // The stored settings applied: the window placed on a desktop and beside another copy of
    // ours, its look, and the stored room shown (never the Search room).
    void ApplyAll();

    void ChooseTheme(int color);
    void ChooseShape(int shape);
    void ChooseGradient(int gradient);
    void ChooseClock(int format);
    void ChooseCustomClock(const std::string& pattern);
    // id: ID_FONT_TITLE, ID_FONT_NOTES or ID_FONT_CALENDAR.
    void ChooseFont(unsigned id, const SLogFont& font);
    void Flip(EFlag flag);
    void ToggleFullView();
    // The room the window shows from now on.
    void ChooseRoom(int room);

private:
    SSettings& m_settings;
    CWindowLook& m_look;
    CNoteArea& m_noteArea;
};
