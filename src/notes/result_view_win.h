// The notes box while it shows search results, drawn from memory so that any length shows at once.
#pragma once

#include "notes/wrapped_text.h"
#include "win/handles_win.h"
#include "win/subclass_win.h"

#include <memory>
#include <string>

// The notes box while it lists search results. The box keeps its place, font, colours, focus
// and scroll bar, but the result is drawn from memory a screenful at a time, so that a result of
// any length shows whole at once: an edit box's cost grows with the text it holds. The box's own
// messages for text, selection, lines and scrolling are answered for the whole result, counted
// in UTF-16 units as the box counts them; typing changes nothing.
class CResultView : public CSubclassWnd {
public:
    ~CResultView() override;
    void Show(std::string text);
    // Gives the box back its own text; a new text for the box does this too.
    void Leave();
    bool Showing() const { return m_showing; }
    // Lays out a slice more of a long result; true while some remains.
    bool LayOutMore();
    // Where the selection starts, in bytes of the result.
    size_t SelectionStart() const { return SelStart(); }

private:
    // Messages of the box (result_view_win.cpp).
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnViewMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnTextMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSelectionMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnLineMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnScrollMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A line named by a message: -1 for the caret's, laid out from the top so that its number
    // is exact for other programs.
    size_t LineArg(WPARAM value);
    // An offset in units from a message: -1 for the selection's start.
    size_t OffsetArg(WPARAM value);
    // The text's bytes [from, to) as UTF-16, as many units as room holds without cutting a
    // pair; the units written.
    static size_t CopyUnits(const std::string& text, size_t from, size_t to, wchar_t* out,
                            size_t room);
    // The box's own text, which the view hides, waiting to be emptied.
    void EmptyBox();

    // Input and scrolling (result_view_input_win.cpp).
    bool OnInput(UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnMouse(UINT msg, WPARAM wParam, POINT point);
    bool OnScrollInput(UINT msg, WPARAM wParam);
    void OnKeyDown(WPARAM key);
    // Up, Down, Page Up and Page Down: the caret keeps its distance from the lines' start.
    void MoveCaretByLines(long long lines, bool extend);
    // Lays the result out again for a new font or width, keeping the text at the top in view.
    void Relayout(bool newFont);
    int VisibleLines() const;
    // The top line's number now: the view holds on to its text, as numbers change while the
    // result is laid out.
    size_t Top() { return m_text.LineOf(m_topOffset); }
    size_t LastTop();
    void ScrollTo(size_t top);
    // Lays out the lines from offset's line to `lines` away and a screenful; offset's line.
    size_t LinesAround(size_t offset, long long lines);
    void ScrollBy(long long lines);
    void UpdateScrollBar(bool drawNow = true);
    void UpdateCaret();
    void EnsureCaretVisible();
    // Moves the caret, extending the selection or not, and shows it.
    void MoveCaret(size_t offset, bool extend);
    size_t OffsetAtPoint(POINT point);
    POINT PointOf(size_t offset);
    void Copy() const;
    void ShowContextMenu(POINT screen);
    size_t SelStart() const { return m_anchor < m_caret ? m_anchor : m_caret; }
    size_t SelEnd() const { return m_anchor < m_caret ? m_caret : m_anchor; }

    // Measuring and painting (result_view_paint_win.cpp).
    // Takes the box's text area, and its font and line height when asked: under Wine measuring
    // the font takes about a millisecond, and a room's move does not change it.
    void Measure(bool withFont);
    // Advance of a character other than ASCII, as the box's text engine draws it.
    int MeasureCharacter(const char16_t* units, size_t count);
    // A device context with the box's font for measuring, made when first needed.
    HDC MeasuringDc();
    void Paint(HDC dc);
    // One line, its selected part (from, to) highlighted.
    void PaintLine(HDC dc, int y, size_t start, size_t end, size_t from, size_t to) const;
    // The caret's x and the offset at x on a line: in the order the engine shows the characters
    // where some are written right to left, else from the layout.
    int XOf(size_t line, size_t offset);
    size_t OffsetAt(size_t line, int x);

    bool m_showing = false;
    bool m_boxTextDue = false;
    CWrappedText m_text;
    STextMeasure m_measure;
    bool m_fontMeasured = false;
    std::unique_ptr<CMemoryDc> m_measuring; // with the box's font selected while it lives
    size_t m_anchor = 0;
    size_t m_caret = 0;
    size_t m_topOffset = 0; // where the top line starts
    int m_goalX = -1;       // where Up and Down keep the caret, -1 when not moving by lines
    RECT m_format{};
    int m_lineHeight = 1;
    int m_tabScale = 1;    // the average character width the box's tab stops are measured in
    size_t m_barLines = 0; // the lines the scroll bar stands for
    size_t m_barTop = 0;   // and where it shows the top
    int m_wheel = 0;       // wheel movement short of a notch
    bool m_dragging = false;
};
