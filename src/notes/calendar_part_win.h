// The month calendar of the main window, with its looks and the room it needs.
#pragma once

#include "base/geometry.h"
#include "base/log_font.h"
#include "win/controls_win.h"
#include "win/handles_win.h"

#include <cstdint>

// The month calendar of the main window: the control with its font, colours, first day, week
// numbers, range of days and the room it needs at the window's DPI. The window tells it what to
// show and makes the room it asks for.
class CCalendarPart {
public:
    // Binds the dialog's control, limits it to the days that have keys of their own, and takes
    // its place in the template as the place it never shrinks below.
    void Attach(HWND dialog, int id);
    const CMonthCalCtrl& Control() const { return m_control; }
    CMonthCalCtrl& Control() { return m_control; }

    void SetColors(uint32_t back, uint32_t frame, uint32_t text) const;
    // The stored description holds its size at 96 DPI.
    void SetFont(const SLogFont& font, int dpi);
    void SetMondayFirst(bool mondayFirst) const;
    void SetWeekNumbers(bool weekNumbers) const;

    // How much wider and taller than its template place it must be to show a whole month.
    SPoint Growth() const;
    // Stands at its template place grown by growth.
    void Place(SPoint growth) const;
    // The template place at another DPI.
    void ScaleBase(int fromDpi, int toDpi);

private:
    HWND m_dialog = nullptr;
    CMonthCalCtrl m_control;
    CFontHandle m_font;
    SRect m_base;
};
