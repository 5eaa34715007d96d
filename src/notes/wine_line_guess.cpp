// Lines as Wine's edit box ends them. The box holds UTF-16 and counts its guess in units: a
// character of two units (a surrogate pair, a letter and its mark) counts twice, as there.
#include "notes/wrapped_text.h"

#include "base/utf8.h"

#include <algorithm>

void CWrappedText::LayOutFromGuess(size_t from, size_t end, std::vector<uint32_t>& starts) {
    starts.push_back(static_cast<uint32_t>(from));
    if (m_width <= 0 || m_width <= m_widths.Measure().aveWidth || FitsOneLine(from, end)) {
        return; // a box narrower than a character does not wrap
    }
    const size_t units = MeasureUnits(from, end);
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
        starts.push_back(static_cast<uint32_t>(ByteOfUnit(from, line)));
    }
}

bool CWrappedText::FitsOneLine(size_t from, size_t end) const {
    // Most paragraphs do, and most are ASCII without tabs.
    const unsigned char* text = reinterpret_cast<const unsigned char*>(m_text.data());
    const int* widths = m_widths.Measure().ascii;
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
    const int* widths = m_widths.Measure().ascii;
    const size_t most = end - from; // never more units than bytes
    m_xBefore.resize(most + 1);
    m_soft.resize(most + 1);
    m_wide.clear();
    m_lastTab = kNoTab;
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
            state = SLineBreaks::After(state, cls);
            x += widths[c];
            xBefore[unit + 1] = x;
        }
        at = static_cast<size_t>(p - text);
        sofar = SUnitsSoFar{state, x, unit};
        if (at < end) {
            at = MeasureCharacter(at, end, sofar);
        }
    }
    return sofar.unit;
}

size_t CWrappedText::MeasureCharacter(size_t at, size_t end, SUnitsSoFar& sofar) {
    const size_t next = CharacterEnd(at, end);
    const ELineClass cls = ClassAt(at);
    const bool tab = m_text[at] == '\t';
    m_soft[sofar.unit] = LineBreaks().May(sofar.state, cls) ? kSoft : 0;
    sofar.state = SLineBreaks::After(sofar.state, cls);
    int advance = 0;
    if (tab) {
        m_soft[sofar.unit] |= kTab;
        m_lastTab = sofar.unit;
    } else {
        advance = m_widths.Advance(m_text.data() + at, next - at, sofar.x);
    }
    const size_t units = Utf16Length(m_text.data() + at, next - at);
    if (units != 1 || next - at != 1) {
        m_wide.push_back(SWide{static_cast<uint32_t>(sofar.unit), static_cast<uint32_t>(at),
                               static_cast<uint32_t>(units), static_cast<uint32_t>(next - at)});
    }
    // The box's engine gives each unit of a character an equal share of its advance.
    for (size_t i = 0; i < units; ++i, ++sofar.unit) {
        m_soft[sofar.unit] = i == 0 ? m_soft[sofar.unit] : 0;
        m_xBefore[sofar.unit + 1] =
            sofar.x + advance * static_cast<int>(i + 1) / static_cast<int>(units);
    }
    sofar.x += advance;
    return next;
}

const CWrappedText::SWide* CWrappedText::WideAt(size_t unit) const {
    const auto after = std::upper_bound(m_wide.begin(), m_wide.end(), unit,
                                        [](size_t u, const SWide& wide) { return u < wide.unit; });
    return after == m_wide.begin() ? nullptr : &*(after - 1);
}

size_t CWrappedText::ByteOfUnit(size_t from, size_t unit) const {
    const SWide* wide = WideAt(unit);
    if (wide == nullptr) {
        return from + unit;
    }
    return unit < wide->unit + wide->units
               ? wide->byte
               : wide->byte + wide->bytes + unit - wide->unit - wide->units;
}

void CWrappedText::MeasureLine(size_t line, size_t units) {
    m_lineX.assign(1, 0);
    int x = 0;
    for (size_t i = line; i < units; ++i) {
        x += m_soft[i] & kTab ? m_widths.TabAdvance(x) : m_xBefore[i + 1] - m_xBefore[i];
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
    const SWide* wide = WideAt(unit);
    if (wide != nullptr && unit > wide->unit && unit < wide->unit + wide->units) {
        const size_t after = wide->unit + wide->units;
        unit = after < units || wide->unit == line ? after : wide->unit;
    }
    return unit;
}
