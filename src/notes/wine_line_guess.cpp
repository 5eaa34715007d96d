// Lines as Wine's edit box ends them. The box holds UTF-16 and counts its guess in units: a
// character of two units (a surrogate pair, a letter and its mark) counts twice, as there.
#include "notes/wrapped_text.h"

#include "base/utf8.h"

#include <algorithm>

void CWrappedText::LayOutFromGuess(size_t from, size_t end, std::vector<uint32_t>& starts) {
    starts.push_back(static_cast<uint32_t>(from));
    if (m_width <= 0 || m_width <= m_chars.Measure().aveWidth || FitsOneLine(from, end)) {
        return; // a box narrower than a character does not wrap
    }
    const size_t units = MeasureUnits(from, end);
    m_cursorUnit = 0;
    m_cursorByte = from;
    if (m_lastTab == kNoTab && m_xBefore[units] <= m_width) {
        return;
    }
    for (size_t line = 0;;) {
        // Tabs stop from the line's start: a line with tabs ahead is measured again.
        const bool tabbed = m_lastTab != kNoTab && m_lastTab >= line;
        if (tabbed) {
            MeasureLine(line, units);
        }
        const int lineWidth = UnitX(line, units - line, tabbed);
        if (lineWidth <= m_width) {
            break;
        }
        line = GuessLineEnd(line, units, tabbed, lineWidth);
        starts.push_back(static_cast<uint32_t>(ByteOfUnit(line, end)));
    }
}

bool CWrappedText::FitsOneLine(size_t from, size_t end) const {
    // Most paragraphs do, and most are ASCII without tabs.
    const unsigned char* text = reinterpret_cast<const unsigned char*>(m_text.data());
    const int* widths = m_chars.Measure().ascii;
    int x = 0;
    size_t at = from;
    while (at < end && x <= m_width && text[at] < 0x80 && text[at] != '\t') {
        x += widths[text[at++]];
    }
    return at >= end && x <= m_width;
}

size_t CWrappedText::MeasureUnits(size_t from, size_t end) {
    const unsigned char* text = reinterpret_cast<const unsigned char*>(m_text.data());
    const SLineBreaks& rules = LineBreaks();
    const int* widths = m_chars.Measure().ascii;
    const size_t most = end - from; // never more units than bytes
    m_xBefore.resize(most + 1);
    m_soft.resize(most + 1);
    m_lastTab = kNoTab;
    m_oneByteUnits = true;
    m_xBefore[0] = 0;
    SUnitsSoFar sofar;
    for (size_t at = from; at < end;) {
        // Runs of ASCII with all in registers: the flags' bytes could alias the vectors.
        uint8_t* soft = m_soft.data();
        int* xBefore = m_xBefore.data();
        uint8_t state = sofar.state;
        int x = sofar.x;
        size_t unit = sofar.unit;
        const unsigned char* p = text + at;
        for (const unsigned char* stop = text + end; p < stop; ++p, ++unit) {
            const unsigned char c = *p;
            if (c >= 0x80 || p[1] >= 0x80 || c == '\t') {
                break;
            }
            const ELineClass cls = rules.ascii[c];
            soft[unit] = rules.May(state, cls) ? kSoft : 0;
            state = rules.AfterAscii(state, c);
            x += widths[c];
            xBefore[unit + 1] = x;
        }
        at = static_cast<size_t>(p - text);
        sofar = SUnitsSoFar{state, x, unit};
        if (at < end) {
            at = MeasureCharacters(at, end, sofar);
        }
    }
    return sofar.unit;
}

size_t CWrappedText::MeasureCharacters(size_t at, size_t end, SUnitsSoFar& sofar) {
    const char* text = m_text.data();
    const SLineBreaks& rules = LineBreaks();
    int x = sofar.x;
    uint8_t state = sofar.state;
    size_t unit = sofar.unit;
    do {
        const CCharTable::SCharacter c = m_chars.At(text, at, end, x);
        uint8_t flags = rules.May(state, c.cls) ? kSoft : 0;
        state = SLineBreaks::After(state, c.cls);
        int advance = c.advance;
        if (text[at] == '\t') {
            // Tabs count from the line's start: measured again for each line.
            advance = 0;
            flags |= kTab;
            m_lastTab = unit;
        }
        m_oneByteUnits = m_oneByteUnits && c.units == 1 && c.end - at == 1;
        // The box's engine gives each unit of a character an equal share of its advance.
        const int units = static_cast<int>(c.units);
        for (int i = 0; i < units; ++i, ++unit) {
            m_soft[unit] = i == 0 ? flags : kInside;
            m_xBefore[unit + 1] = x + advance * (i + 1) / units;
        }
        x += advance;
        at = c.end;
    } while (at < end && (static_cast<unsigned char>(text[at]) >= 0x80 || text[at] == '\t' ||
                          static_cast<unsigned char>(text[at + 1]) >= 0x80));
    sofar = SUnitsSoFar{state, x, unit};
    return at;
}

size_t CWrappedText::ByteOfUnit(size_t unit, size_t end) {
    // Lines are asked for in order, each at a character's start.
    if (m_oneByteUnits) {
        m_cursorByte += unit - m_cursorUnit;
        m_cursorUnit = unit;
        return m_cursorByte;
    }
    m_cursorByte +=
        Utf8OffsetOfUnits(m_text.data() + m_cursorByte, end - m_cursorByte, unit - m_cursorUnit);
    m_cursorUnit = unit;
    return m_cursorByte;
}

void CWrappedText::MeasureLine(size_t line, size_t units) {
    m_lineX.assign(1, 0);
    int x = 0;
    for (size_t i = line; i < units; ++i) {
        x += m_soft[i] & kTab ? m_chars.TabAdvance(x) : m_xBefore[i + 1] - m_xBefore[i];
        m_lineX.push_back(x);
    }
}

int CWrappedText::UnitX(size_t line, size_t unit, bool tabbed) const {
    return tabbed ? m_lineX[unit] : m_xBefore[line + unit] - m_xBefore[line];
}

size_t CWrappedText::GuessLineEnd(size_t line, size_t units, bool tabbed, int lineWidth) const {
    // As the box itself does: from a guess of where the line ends, the last place a line may
    // start that still fits, left of the guess.
    const long count = static_cast<long>(units - line);
    long prev = count - 1;
    float d = static_cast<float>(lineWidth) / static_cast<float>(m_width);
    if (d > 1.2f) {
        d -= 0.2f;
    }
    long next = static_cast<long>(static_cast<float>(prev) / d);
    if (next >= prev) {
        next = prev - 1;
    }
    int fits = lineWidth;
    do {
        long i = std::max(next, 0L);
        if (i > 0) {
            --i;
        }
        while (i > 0 && !(m_soft[line + static_cast<size_t>(i)] & kSoft)) {
            --i;
        }
        prev = i;
        if (prev > 0) {
            fits = UnitX(line, static_cast<size_t>(prev), tabbed);
        }
        next = prev - 1;
    } while (prev > 0 && fits > m_width);
    return prev > 0 ? line + static_cast<size_t>(prev) : CountBack(line, units, tabbed, fits);
}

size_t CWrappedText::CountBack(size_t line, size_t units, bool tabbed, int fits) const {
    // Counted back from the paragraph's end, from the last width tried: a line that had a
    // place to start left of the guess, but none that fits, comes out too long; all that fits
    // but its last character otherwise.
    long prev = static_cast<long>(units - line) - 1;
    do {
        fits -= UnitX(line, static_cast<size_t>(prev) + 1, tabbed) -
                UnitX(line, static_cast<size_t>(prev), tabbed);
        --prev;
    } while (prev > 0 && fits > m_width);
    size_t unit = line + static_cast<size_t>(std::max(prev, 1L));
    // The box would cut a character of two units (between a letter and its mark, say): the
    // line takes all of it, as the box's line shows its start, unless that ends the paragraph.
    if (m_soft[unit] & kInside) {
        size_t start = unit;
        while (m_soft[start] & kInside) {
            --start;
        }
        size_t after = unit;
        while (after < units && (m_soft[after] & kInside)) {
            ++after;
        }
        unit = after < units || start == line ? after : start;
    }
    return unit;
}
