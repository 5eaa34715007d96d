// The painter of everything on the main window that is not a child control.
#pragma once

#include "base/layout.h"
#include "base/log_font.h"
#include "render/themes.h"
#include "win/handles_win.h"

#include <memory>
#include <string>

// What one paint of the window surface shows, beside the painter's own colours and fonts.
struct SPaintScene {
    const SLayout& layout;
    int room;
    int gradient;
    std::string header;
    int titleFontHeight;
    // Dots in the lower-right corner, where the window is sized.
    bool sizeGrip = false;
};

// Paints everything on the main window that is not a child control: background, title gradient,
// menu button, header text, separator, border, room tabs and panel. It owns the theme colours and
// the fonts it draws with; every paint draws off-screen and copies the result in one block.
class CWindowPainter {
public:
    void SetTheme(const STheme& theme);
    void SetTitleFont(const SLogFont& font, int dpi);
    // The tab label fonts, made when the window has finished its start-up and at a new DPI.
    void CreateTabFonts(int dpi);
    void Paint(HWND window, const SPaintScene& scene) const;

private:
    void DrawRoomTabs(HDC dc, const SLayout& layout, int room) const;

    COLORREF m_crBack = 0;
    COLORREF m_crFrame = 0;
    COLORREF m_crText = 0;
    CFontHandle m_fontTitle;
    std::unique_ptr<CFontHandle> m_pFontTab;
    std::unique_ptr<CFontHandle> m_pFontTabBold;
};
