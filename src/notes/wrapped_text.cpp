// The wrapped text's layout: parts, paragraphs, lines and their numbers.
#include "notes/wrapped_text.h"

#include "base/utf8.h"

#include <algorithm>

namespace {

// Where the next "\r\n" starts, or the size.
size_t FindLineBreak(const std::string& text, size_t from) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    while (from < size) {
        const unsigned char* cr = FindByte(data + from, '\r', size - from);
        if (cr == nullptr) {
            break;
        }
        const size_t at = static_cast<size_t>(cr - data);
        if (at + 1 < size && data[at + 1] == '\n') {
            return at;
        }
        from = at + 1;
    }
    return size;
}

} // namespace

CWrappedText::CWrappedText(size_t partBytes)
    : m_partBytes(std::max<size_t>(partBytes, 1)), m_above(1, 0) {
    Reset(std::string(), STextMeasure(), 0);
}

void CWrappedText::Reset(std::string text, const STextMeasure& measure, int width) {
    SetText(std::move(text));
    Relayout(measure, width);
}

void CWrappedText::Reset(std::string text, int width) {
    SetText(std::move(text));
    Rewrap(width);
}

void CWrappedText::SetText(std::string text) {
    m_text = std::move(text);
    m_parts.clear();
    for (size_t begin = 0;;) {
        m_parts.emplace_back();
        m_parts.back().begin = static_cast<uint32_t>(begin);
        if (begin + m_partBytes >= m_text.size()) {
            break;
        }
        const size_t cut = FindLineBreak(m_text, begin + m_partBytes) + 2;
        if (cut >= m_text.size()) {
            break;
        }
        begin = cut;
    }
    m_unitsBefore.assign(m_parts.size() + 1, 0);
    m_unitsKnown = 1;
}

void CWrappedText::Relayout(const STextMeasure& measure, int width) {
    m_chars.Reset(measure);
    Rewrap(width);
}

void CWrappedText::Rewrap(int width) {
    m_width = width;
    for (SPart& part : m_parts) {
        part.laidOut = false;
        part.lines = 1;
        part.starts.clear();
    }
    m_above.assign(m_parts.size() + 1, 0);
    m_firstOpen = m_pastLaid = m_laidBytes = m_laidLines = 0;
    // The first screenful at once, and the average the rest is estimated by.
    LayOutPart(0);
}

size_t CWrappedText::PartEnd(size_t part) const {
    return part + 1 < m_parts.size() ? m_parts[part + 1].begin : m_text.size() + 1;
}

size_t CWrappedText::PartOfOffset(size_t offset) const {
    const auto after =
        std::upper_bound(m_parts.begin(), m_parts.end(), offset,
                         [](size_t at, const SPart& part) { return at < part.begin; });
    return after == m_parts.begin() ? 0 : static_cast<size_t>(after - m_parts.begin()) - 1;
}

void CWrappedText::LayOutPart(size_t k) {
    SPart& part = m_parts[k];
    if (part.laidOut) {
        return;
    }
    const size_t end = PartEnd(k);
    for (size_t at = part.begin; at < end;) {
        at = LayOutParagraph(at, part.starts);
    }
    part.laidOut = true;
    part.lines = static_cast<uint32_t>(part.starts.size());
    m_laidBytes += end - part.begin;
    m_laidLines += part.lines;
    while (m_firstOpen < m_parts.size() && m_parts[m_firstOpen].laidOut) {
        ++m_firstOpen;
    }
    m_pastLaid = std::max(m_pastLaid, k + 1);
    // Below the last part laid out no line is known yet, so its estimates may change freely.
    const double perByte = static_cast<double>(m_laidLines) / static_cast<double>(m_laidBytes);
    for (size_t j = m_pastLaid; j < m_parts.size(); ++j) {
        const double bytes = static_cast<double>(PartEnd(j) - m_parts[j].begin);
        m_parts[j].lines = std::max<uint32_t>(1, static_cast<uint32_t>(bytes * perByte + 0.5));
    }
    for (size_t j = k; j < m_parts.size(); ++j) {
        m_above[j + 1] = m_above[j] + m_parts[j].lines;
    }
}

bool CWrappedText::LayOutMore(size_t bytes) {
    size_t laid = 0;
    while (!Complete() && (laid == 0 || laid < bytes)) {
        laid += PartEnd(m_firstOpen) - m_parts[m_firstOpen].begin;
        LayOutPart(m_firstOpen);
    }
    return !Complete();
}

void CWrappedText::LayOutAll() {
    while (!Complete()) {
        LayOutPart(m_firstOpen);
    }
}

std::pair<size_t, size_t> CWrappedText::Locate(size_t line) {
    for (;;) {
        const auto after = std::upper_bound(m_above.begin() + 1, m_above.end() - 1, line);
        const size_t k = static_cast<size_t>(after - m_above.begin()) - 1;
        LayOutPart(k);
        const size_t index = line - m_above[k];
        // A part shorter than its estimate leaves the line to one further down.
        if (index < m_parts[k].lines || k + 1 == m_parts.size()) {
            return {k, std::min<size_t>(index, m_parts[k].lines - 1)};
        }
    }
}

std::pair<size_t, size_t> CWrappedText::Span(size_t line) {
    const auto [k, index] = Locate(line);
    const std::vector<uint32_t>& starts = m_parts[k].starts;
    const size_t start = starts[index];
    const size_t next = index + 1 < starts.size() ? starts[index + 1]
                        : k + 1 < m_parts.size()  ? m_parts[k + 1].begin
                                                  : m_text.size();
    const bool broken = next >= start + 2 && m_text.compare(next - 2, 2, "\r\n") == 0;
    return {start, broken ? next - 2 : next};
}

size_t CWrappedText::LineOf(size_t offset) {
    offset = std::min(offset, m_text.size());
    const size_t k = PartOfOffset(offset);
    LayOutPart(k);
    const std::vector<uint32_t>& starts = m_parts[k].starts;
    const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
    return m_above[k] + static_cast<size_t>(after - starts.begin()) - 1;
}

size_t CWrappedText::LayOutAround(size_t offset, size_t before, size_t after) {
    const size_t k = PartOfOffset(std::min(offset, m_text.size()));
    const size_t index = LineOf(offset) - m_above[k];
    size_t above = index;
    for (size_t j = k; above < before && j > 0;) {
        LayOutPart(--j);
        above += m_parts[j].lines;
    }
    size_t below = m_parts[k].lines - 1 - index;
    for (size_t j = k; below < after && j + 1 < m_parts.size();) {
        LayOutPart(++j);
        below += m_parts[j].lines;
    }
    return LineOf(offset);
}

void CWrappedText::LayOutEnd(size_t lines) {
    size_t laid = 0;
    for (size_t j = m_parts.size(); j-- > 0 && laid < lines;) {
        LayOutPart(j);
        laid += m_parts[j].lines;
    }
}

void CWrappedText::LayOutThrough(size_t line) {
    while (!Complete() && m_above[m_firstOpen] <= line) {
        LayOutPart(m_firstOpen);
    }
}

size_t CWrappedText::ExactLineOf(size_t offset) {
    const size_t k = PartOfOffset(std::min(offset, m_text.size()));
    while (m_firstOpen <= k && !Complete()) {
        LayOutPart(m_firstOpen);
    }
    return LineOf(offset);
}

size_t CWrappedText::CharacterEnd(size_t at, size_t end) const {
    return m_chars.At(m_text.data(), at, end, 0).end;
}

ELineClass CWrappedText::ClassAt(size_t at) const {
    return m_chars.ClassAt(m_text.data(), at, m_text.size());
}

size_t CWrappedText::LayOutParagraph(size_t from, std::vector<uint32_t>& starts) {
    const size_t end = FindLineBreak(m_text, from);
    if (m_chars.Measure().fromGuess) {
        LayOutFromGuess(from, end, starts);
    } else {
        LayOutGreedy(from, end, starts);
    }
    return end + 2;
}

void CWrappedText::LayOutGreedy(size_t from, size_t end, std::vector<uint32_t>& starts) {
    const bool wraps = m_width > 0 && m_width > m_chars.Measure().aveWidth;
    for (size_t start = from;;) {
        starts.push_back(static_cast<uint32_t>(start));
        if (!wraps) {
            break;
        }
        SLineSoFar line{start, start, start, 0, 0};
        if (!FillLine(line, end)) {
            break;
        }
        // With no place to end the line, the character at the edge and the one before it go on.
        start = line.lastBreak > start ? line.lastBreak
                : line.prior > start   ? line.prior
                                       : CharacterEnd(start, end);
    }
}

bool CWrappedText::FillLine(SLineSoFar& line, size_t end) const {
    const unsigned char* text = reinterpret_cast<const unsigned char*>(m_text.data());
    const SLineBreaks& rules = LineBreaks();
    const int* widths = m_chars.Measure().ascii;
    const int width = m_width;
    while (line.at < end) {
        // Runs of ASCII with all in registers. A break found at the line's start is its start.
        size_t at = line.at;
        size_t prior = line.prior;
        size_t lastBreak = line.lastBreak;
        int x = line.x;
        uint8_t state = line.state;
        bool full = false;
        for (; at < end; ++at) {
            const unsigned char c = text[at];
            if (c >= 0x80 || text[at + 1] >= 0x80 || c == '\t') {
                break;
            }
            const ELineClass cls = rules.ascii[c];
            lastBreak = rules.May(state, cls) ? at : lastBreak;
            x += widths[c];
            if (x > width) {
                full = true;
                break;
            }
            state = rules.AfterAscii(state, c);
            prior = at;
        }
        line = SLineSoFar{at, prior, lastBreak, x, state};
        if (full || (at < end && !TakeCharacters(line, end))) {
            return true;
        }
    }
    return false;
}

bool CWrappedText::TakeCharacters(SLineSoFar& line, size_t end) const {
    const char* text = m_text.data();
    const SLineBreaks& rules = LineBreaks();
    size_t at = line.at;
    int x = line.x;
    uint8_t state = line.state;
    do {
        const CCharTable::SCharacter c = m_chars.At(text, at, end, x);
        if (rules.May(state, c.cls)) {
            line.lastBreak = at;
        }
        x += c.advance;
        if (x > m_width) {
            line.at = at;
            line.x = x;
            line.state = state;
            return false;
        }
        state = SLineBreaks::After(state, c.cls);
        line.prior = at;
        at = c.end;
    } while (at < end && (static_cast<unsigned char>(text[at]) >= 0x80 || text[at] == '\t' ||
                          static_cast<unsigned char>(text[at + 1]) >= 0x80));
    line.at = at;
    line.x = x;
    line.state = state;
    return true;
}
