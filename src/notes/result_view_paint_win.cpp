// How the result view measures and draws its lines: as the box itself does, through the system's
// text engine, so that a result looks exactly like the box.
#include "notes/result_view_win.h"

#include "base/utf8.h"
#include "win/system_dll_win.h"
#include "win/text_engine_win.h"

#include <algorithm>
#include <string>

namespace {

// Whether a line holds characters written right to left (Hebrew, Arabic, Syriac, Thaana, N'Ko
// and the like), which the engine shows in another order than the text's.
bool HasRightToLeft(const std::string& text, size_t start, size_t end) {
    for (size_t at = start; at < end;) {
        if (static_cast<unsigned char>(text[at]) < 0xD6) {
            ++at; // ASCII, continuation bytes and scripts before U+0590
            continue;
        }
        const char32_t c = DecodeUtf8(text.data(), end, at);
        if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
            (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x10800 && c <= 0x10FFF) ||
            (c >= 0x1E800 && c <= 0x1EFFF)) {
            return true;
        }
    }
    return false;
}

// Calls use(line, its UTF-16 text) with the line as the engine shows it, when it holds
// characters written right to left and the engine is there; false when not.
template <typename Use>
bool ShownRightToLeft(HDC dc, const std::string& text, size_t start, size_t end, int tabScale,
                      Use use) {
    if (!HasRightToLeft(text, start, end)) {
        return false;
    }
    const std::u16string units = Utf8ToUtf16(text.data() + start, end - start);
    SCRIPT_TABDEF tabs{};
    tabs.iScale = tabScale;
    const CAnalysedLine analysed(dc, reinterpret_cast<const wchar_t*>(units.data()),
                                 static_cast<int>(units.size()), &tabs);
    if (!analysed) {
        return false;
    }
    use(analysed);
    return true;
}

} // namespace

HDC CResultView::MeasuringDc() {
    if (!m_measuring) {
        m_measuring = std::make_unique<CMemoryDc>(nullptr);
        const HFONT font = reinterpret_cast<HFONT>(DefaultProc(WM_GETFONT, 0, 0));
        if (font != nullptr) {
            ::SelectObject(m_measuring->Get(), font);
        }
    }
    return m_measuring->Get();
}

void CResultView::Measure(bool withFont) {
    DefaultProc(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&m_format));
    if (!withFont) {
        return;
    }
    m_measuring.reset(); // the font it holds may be another
    const HDC dc = MeasuringDc();
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    INT widths[128] = {};
    ::GetCharWidth32W(dc, 0, 127, widths);
    std::copy(std::begin(widths), std::end(widths), std::begin(m_measure.ascii));
    m_measure.aveWidth = metrics.tmAveCharWidth;
    // The box draws through the system's text engine, whose default tab stops lie every eight
    // average characters, the average taken over the alphabet.
    static const wchar_t kAlphabet[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    SIZE alphabet{};
    ::GetTextExtentPoint32W(dc, kAlphabet, 52, &alphabet);
    m_tabScale = std::max<int>(1, (alphabet.cx / 26 + 1) / 2);
    m_measure.tabStop = 8 * m_tabScale;
    m_measure.fromGuess = RunsOnWine();
    m_measure.width = [this](const char16_t* units, size_t count) {
        return MeasureCharacter(units, count);
    };
    m_lineHeight = std::max<int>(1, metrics.tmHeight);
    m_fontMeasured = true;
}

int CResultView::MeasureCharacter(const char16_t* units, size_t count) {
    const HDC dc = MeasuringDc();
    const wchar_t* text = reinterpret_cast<const wchar_t*>(units);
    // The engine draws what the font lacks from another font, as the box does; plain GDI
    // measures the font's own, which under Wine differs for surrogate pairs and some scripts.
    const CAnalysedLine analysed(dc, text, static_cast<int>(count), nullptr);
    if (analysed) {
        return analysed.Width();
    }
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text, static_cast<int>(count), &size);
    return static_cast<int>(size.cx);
}

void CResultView::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const HWND parent = ::GetParent(m_hWnd);
    HBRUSH brush = reinterpret_cast<HBRUSH>(::SendMessageW(
        parent, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd)));
    if (brush == nullptr) {
        brush = reinterpret_cast<HBRUSH>(::DefWindowProcW(parent, WM_CTLCOLOREDIT,
                                                          reinterpret_cast<WPARAM>(dc),
                                                          reinterpret_cast<LPARAM>(m_hWnd)));
    }
    ::FillRect(dc, &client, brush);
    const HFONT font = reinterpret_cast<HFONT>(DefaultProc(WM_GETFONT, 0, 0));
    const HGDIOBJ oldFont = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    ::IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    const size_t visible = static_cast<size_t>(VisibleLines());
    const size_t top = m_text.LayOutAround(m_topOffset, 0, visible + 1);
    const bool focused = ::GetFocus() == m_hWnd;
    const size_t selStart = focused ? SelStart() : 0;
    const size_t selEnd = focused ? SelEnd() : 0;
    for (size_t line = top; line <= top + visible && line < m_text.Lines(); ++line) {
        const int y = m_format.top + static_cast<int>(line - top) * m_lineHeight;
        const size_t start = m_text.LineStart(line);
        const size_t end = m_text.LineEnd(line);
        PaintLine(dc, y, start, end, std::clamp(selStart, start, end),
                  std::clamp(selEnd, start, end));
    }
    if (oldFont != nullptr) {
        ::SelectObject(dc, oldFont);
    }
}

void CResultView::PaintLine(HDC dc, int y, size_t start, size_t end, size_t from, size_t to) const {
    if (end == start) {
        return;
    }
    const char* text = m_text.Text().data() + start;
    const std::u16string units = Utf8ToUtf16(text, end - start);
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(units.data());
    const int count = static_cast<int>(units.size());
    SCRIPT_TABDEF tabs{};
    tabs.iScale = m_tabScale;
    // As the box draws its own lines, which also puts words written right to left in their order.
    const CAnalysedLine line(dc, wide, count, &tabs);
    if (line) {
        line.Draw(m_format.left, y, m_format, static_cast<int>(Utf16Length(text, from - start)),
                  static_cast<int>(Utf16Length(text, to - start)));
        return;
    }
    ::TabbedTextOutW(dc, m_format.left, y, wide, count, 0, nullptr, m_format.left);
}

int CResultView::XOf(size_t line, size_t offset) {
    const size_t start = m_text.LineStart(line);
    const size_t end = m_text.LineEnd(line);
    const char* text = m_text.Text().data() + start;
    int x = 0;
    const auto shown = [&](const CAnalysedLine& analysed) {
        const size_t before = std::clamp(offset, start, end) - start;
        x = analysed.XOfUnit(static_cast<int>(Utf16Length(text, before)));
    };
    if (ShownRightToLeft(MeasuringDc(), m_text.Text(), start, end, m_tabScale, shown)) {
        return x;
    }
    return m_text.XOf(line, offset);
}

size_t CResultView::OffsetAt(size_t line, int x) {
    const size_t start = m_text.LineStart(line);
    const size_t end = m_text.LineEnd(line);
    const char* text = m_text.Text().data() + start;
    size_t offset = start;
    const auto shown = [&](const CAnalysedLine& analysed) {
        const size_t unit = static_cast<size_t>(analysed.UnitAtX(x));
        const size_t at = start + Utf8OffsetOfUnits(text, end - start, unit);
        // A unit inside a character (the engine's trailing edge of a pair) ends the character.
        offset = m_text.CharacterStart(std::min(at, end));
        if (Utf16Length(text, offset - start) < unit) {
            offset = m_text.Next(offset);
        }
    };
    if (ShownRightToLeft(MeasuringDc(), m_text.Text(), start, end, m_tabScale, shown)) {
        return offset;
    }
    return m_text.OffsetAt(line, x);
}
