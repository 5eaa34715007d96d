// Each named change of the settings, followed by the look it asks for.
#include "app/settings_changes_win.h"

#include "base/ids.h"
#include "base/layout.h"
#include "base/log_font.h"
#include "render/clock_format.h"

void CSettingsChanges::Begin() {
    m_settings.nRadius = kCornerRadius;
    m_settings.nRoom = kRoomDynamic;
}

void CSettingsChanges::ApplyAll() {
    m_settings.ptPos = m_look.StartPlace();
    m_look.ApplyAll();
    m_settings.nRoom = m_noteArea.Rooms().RestoreRoom(m_settings.nRoom);
    m_look.Redraw();
}

void CSettingsChanges::ChooseTheme(int color) {
    m_settings.nColor = color;
    m_look.ApplyColorTheme();
}

void CSettingsChanges::ChooseShape(int shape) {
    m_settings.nShape = shape;
    m_look.ApplyWindowShape();
}

void CSettingsChanges::ChooseGradient(int gradient) {
    m_settings.nGradient = gradient;
}

void CSettingsChanges::ChooseClock(int format) {
    m_settings.nTimeFormat = format;
}

void CSettingsChanges::ChooseCustomClock(const std::string& pattern) {
    m_settings.strCustomFormat = pattern;
    m_settings.nTimeFormat = kCustomClockFormat;
}

void CSettingsChanges::ChooseFont(unsigned id, const SLogFont& font) {
    if (id == ID_FONT_TITLE) {
        m_settings.lfTitle = font;
    } else if (id == ID_FONT_NOTES) {
        m_settings.lfNotes = font;
    } else {
        m_settings.lfCalendar = font;
        CleanCalendarFont(m_settings.lfCalendar);
    }
    m_look.ApplyFont(id);
}

void CSettingsChanges::Flip(EFlag flag) {
    switch (flag) {
    case EFlag::LockMoving:
        m_settings.bLockMoving = !m_settings.bLockMoving;
        m_look.ApplyLockMoving();
        break;
    case EFlag::AlwaysTop:
        m_settings.bAlwaysTop = !m_settings.bAlwaysTop;
        m_look.ApplyAlwaysTop();
        break;
    case EFlag::MondayFirst:
        m_settings.bMondayFirst = !m_settings.bMondayFirst;
        m_look.ApplyMondayFirst();
        break;
    case EFlag::WeekNumbers:
        m_settings.bWeekNumbers = !m_settings.bWeekNumbers;
        m_look.ApplyWeekNumbers();
        break;
    }
}

void CSettingsChanges::ToggleFullView() {
    m_settings.nFullView = m_settings.nFullView == 1 ? 0 : 1;
    m_look.ApplyFullView();
}

void CSettingsChanges::ChooseRoom(int room) {
    m_settings.nRoom = room;
    m_noteArea.Rooms().SwitchRoom(room);
}
