#pragma once

#include "notes/wrapped_text.h"
#include "win/subclass_win.h"

#include <string>

// The notes box while it lists search results. The box keeps its place, font, colours, focus
// and scroll bar, but the result is drawn from memory a screenful at a time, so that a result of
// any length shows whole at once: an edit box's cost grows with the text it holds. The box's own
// messages for text, selection, lines and scrolling are answered for the whole result; typing
// changes nothing.
class CResultView : public CSubclassWnd {
public:
    ~CResultView() override;
    void Show(std::string text);
    // Gives the box back its own text; a new text for the box does this too.
    void Leave();
    bool Showing() const { return m_showing; }
    // Lays out a slice more of a long result; true while some remains.
    bool LayOutMore();

private:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnEditMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnInput(UINT msg, WPARAM wParam, LPARAM lParam);

    // Takes the box's text area, and its font and line height when asked: under Wine measuring
    // the font takes about a millisecond, and a room's move does not change it.
    void Measure(bool withFont);
    // Lays the result out again for them, keeping the text at the top in view.
    void Relayout();
    void Paint(HDC dc);
    // One line, its selected part (from, to) highlighted.
    void PaintLine(HDC dc, int y, size_t start, size_t end, size_t from, size_t to) const;
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
    void OnKeyDown(WPARAM key);
    size_t OffsetAtPoint(POINT point);
    POINT PointOf(size_t offset);
    void Copy() const;
    void ShowContextMenu(POINT screen);
    size_t SelStart() const { return m_anchor < m_caret ? m_anchor : m_caret; }
    size_t SelEnd() const { return m_anchor < m_caret ? m_caret : m_anchor; }

    // The box's own text, which the view hides, waiting to be emptied.
    void EmptyBox();

    bool m_showing = false;
    bool m_boxTextDue = false;
    CWrappedText m_text;
    STextMeasure m_measure;
    bool m_fontMeasured = false;
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
