// The system's text engine, to draw and measure lines exactly as an edit box does.
#pragma once

#include <windows.h>

#include <usp10.h>

// The system's text engine (Uniscribe's string functions), from the system folder only: it is
// no DLL that Windows always loads from there, so an import of it could be taken from beside the
// exe. Loaded when first needed; every function is null when the system lacks one of them.
struct STextEngine {
    decltype(&::ScriptStringAnalyse) analyse = nullptr;
    decltype(&::ScriptStringOut) out = nullptr;
    decltype(&::ScriptStringFree) free = nullptr;
    decltype(&::ScriptStringCPtoX) cpToX = nullptr;
    decltype(&::ScriptStringXtoCP) xToCp = nullptr;
    decltype(&::ScriptString_pSize) size = nullptr;
};
const STextEngine& TextEngine();

// A line of text analysed by the engine as an edit box analyses its lines (glyphs, font
// fallback, tabs when given), freed when it goes; empty when the engine is missing or fails.
class CAnalysedLine {
public:
    CAnalysedLine(HDC dc, const wchar_t* text, int units, const SCRIPT_TABDEF* tabs);
    ~CAnalysedLine();
    CAnalysedLine(const CAnalysedLine&) = delete;
    CAnalysedLine& operator=(const CAnalysedLine&) = delete;

    explicit operator bool() const { return m_analysis != nullptr; }
    // Draws the line at (x, y), clipped to clip, with the units [from, to) selected.
    void Draw(int x, int y, const RECT& clip, int from, int to) const;
    // The width of the whole line.
    int Width() const;
    // Where the caret before a unit shows: after the character before it in their shown
    // order, where characters written right to left put it on that character's left.
    int XOfUnit(int unit) const;
    // The unit before which a click at x puts the caret, as an edit box puts it.
    int UnitAtX(int x) const;

private:
    SCRIPT_STRING_ANALYSIS m_analysis = nullptr;
    int m_units = 0;
};
