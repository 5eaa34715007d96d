#include "notes/wrapped_text.h"

#include <algorithm>

ELineClass LineClassOf(char16_t u) {
    switch (u) {
    case 0x20:
        return ELineClass::Space;
    case 0x09:
    case 0x7C:
    case 0xAD:
    case 0x2010:
    case 0x2012:
    case 0x2013:
        return ELineClass::After;
    case 0x2D:
        return ELineClass::Hyphen;
    case 0x2F:
        return ELineClass::Solidus;
    case 0x2014:
        return ELineClass::Both;
    case '!':
    case '?':
        return ELineClass::Exclaim;
    case ',':
    case '.':
    case ':':
    case ';':
        return ELineClass::Infix;
    case ')':
    case ']':
    case '}':
        return ELineClass::Close;
    case '(':
    case '[':
    case '{':
        return ELineClass::Open;
    case '"':
    case '\'':
    case 0xAB:
    case 0xBB:
    case 0x2018:
    case 0x2019:
    case 0x201C:
    case 0x201D:
    case 0x2039:
    case 0x203A:
        return ELineClass::Quote;
    case '$':
    case '+':
    case '\\':
    case 0xA3:
    case 0xA4:
    case 0xA5:
    case 0xB1:
    case 0x20AC:
        return ELineClass::Prefix;
    case '%':
    case 0xA2:
    case 0xB0:
    case 0x2030:
        return ELineClass::Postfix;
    case 0xA0:
        return ELineClass::Glue;
    default:
        break;
    }
    if (u >= '0' && u <= '9') {
        return ELineClass::Digit;
    }
    if ((u >= 0x3000 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) ||
        (u >= 0xFF00 && u <= 0xFFEF)) {
        return ELineClass::Ideograph;
    }
    return ELineClass::Letter;
}

bool MayBreakBetween(ELineClass before, ELineClass after, bool spaced) {
    using C = ELineClass;
    switch (after) {
    case C::Space:
    case C::Close:
    case C::Exclaim:
    case C::Infix:
    case C::Solidus:
        return false;
    default:
        break;
    }
    if (spaced) {
        return before != C::Open && !(before == C::Quote && after == C::Open);
    }
    if (before == C::Glue || after == C::Glue || before == C::Open || before == C::Quote ||
        after == C::Quote || after == C::After || after == C::Hyphen) {
        return false;
    }
    switch (before) {
    case C::After:
    case C::Exclaim:
        return true;
    case C::Close:
        return after == C::Open;
    case C::Infix:
        return after == C::Prefix || after == C::Open;
    case C::Postfix:
        return after == C::Prefix;
    case C::Hyphen:
    case C::Solidus:
        return after != C::Digit;
    default:
        break;
    }
    if (before == C::Both || after == C::Both) {
        return before != after;
    }
    if (before == C::Ideograph || after == C::Ideograph) {
        return before != C::Prefix && after != C::Postfix;
    }
    return before == C::Letter && (after == C::Prefix || after == C::Postfix);
}

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
    std::fill(std::begin(m_classes), std::end(m_classes), ELineClass::Letter);
    for (int spaced = 0; spaced < 2; ++spaced) {
        for (int before = 0; before < kLineClasses; ++before) {
            for (int after = 0; after < kLineClasses; ++after) {
                m_breaks[spaced][before][after] = MayBreakBetween(
                    static_cast<ELineClass>(before), static_cast<ELineClass>(after), spaced != 0);
            }
        }
    }
    // The empty text as one laid-out line, without asking for the code page before a text comes.
    m_parts.emplace_back();
    m_parts.back().laidOut = true;
    m_parts.back().starts.push_back(0);
    m_above.push_back(1);
    m_firstOpen = 1;
}

void CWrappedText::Reset(std::string text, const STextMeasure& measure, int width,
                         const SCodePage& cp) {
    m_text = std::move(text);
    m_cp = &cp;
    for (int b = 0; b < 256; ++b) {
        m_classes[b] = cp.lead[b] ? ELineClass::Ideograph : LineClassOf(cp.unicode[b]);
    }
    m_doubleWidths.clear();
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
    Relayout(measure, width);
}

void CWrappedText::Relayout(const STextMeasure& measure, int width) {
    m_measure = measure;
    m_width = width;
    if (m_cp != nullptr && m_cp->doubleByte) {
        m_doubleWidths.assign(65536, -1);
    }
    for (SPart& part : m_parts) {
        part.laidOut = false;
        part.lines = 1;
        part.starts.clear();
    }
    m_above.assign(m_parts.size() + 1, 0);
    m_firstOpen = m_pastLaid = m_laidBytes = m_laidLines = 0;
    // The first screenful at once, and the average the rest is estimated by.
    if (!m_parts.empty()) {
        LayOutPart(0);
    }
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

size_t CWrappedText::CharSize(size_t at, size_t end) const {
    return m_cp->lead[static_cast<unsigned char>(m_text[at])] && at + 1 < end ? 2 : 1;
}

int CWrappedText::Advance(size_t at, size_t size, int x) const {
    const unsigned char c = static_cast<unsigned char>(m_text[at]);
    if (c == '\t') {
        const int stop = std::max(1, m_measure.tabStop);
        return stop - x % stop;
    }
    if (size == 1) {
        return m_measure.widths[c];
    }
    const unsigned char trail = static_cast<unsigned char>(m_text[at + 1]);
    int& width = m_doubleWidths[static_cast<size_t>(c) << 8 | trail];
    if (width < 0) {
        width = m_measure.doubleWidth ? m_measure.doubleWidth(c, trail) : m_measure.widths[c];
    }
    return width;
}

ELineClass CWrappedText::ClassAt(size_t at) const {
    return m_classes[static_cast<unsigned char>(m_text[at])];
}

size_t CWrappedText::LayOutParagraph(size_t from, std::vector<uint32_t>& starts) {
    const size_t end = FindLineBreak(m_text, from);
    if (m_measure.fromGuess) {
        LayOutFromGuess(from, end, starts);
    } else {
        LayOutGreedy(from, end, starts);
    }
    return end + 2;
}

void CWrappedText::LayOutGreedy(size_t from, size_t end, std::vector<uint32_t>& starts) {
    const bool wraps = m_width > 0 && m_width > m_measure.aveWidth;
    const unsigned char* text = reinterpret_cast<const unsigned char*>(m_text.data());
    const bool* lead = m_cp->lead;
    const int* widths = m_measure.widths;
    const ELineClass* classes = m_classes;
    const int width = m_width;
    size_t start = from;
    for (;;) {
        starts.push_back(static_cast<uint32_t>(start));
        if (!wraps) {
            break;
        }
        int x = 0;
        size_t lastBreak = start;
        size_t prior = start; // start of the character before at
        ELineClass before = ELineClass::Letter;
        bool spaced = false;
        size_t at = start;
        while (at < end) {
            const unsigned char c = text[at];
            const ELineClass cls = classes[c];
            size_t n = 1;
            int advance;
            if (cls == ELineClass::Letter && before == ELineClass::Letter && !spaced && !lead[c]) {
                advance = widths[c]; // most characters: no break, no tab
            } else {
                if (at > start &&
                    m_breaks[spaced][static_cast<int>(before)][static_cast<int>(cls)]) {
                    lastBreak = at;
                }
                if (c == '\t' || lead[c]) {
                    n = CharSize(at, end);
                    advance = Advance(at, n, x);
                } else {
                    advance = widths[c];
                }
            }
            x += advance;
            if (x > width) {
                break;
            }
            if (cls == ELineClass::Space) {
                spaced = true;
            } else {
                before = cls;
                spaced = false;
            }
            prior = at;
            at += n;
        }
        if (at >= end) {
            break;
        }
        // With no place to end the line, the character at the edge and the one before it go on.
        start = lastBreak > start ? lastBreak
                : prior > start   ? prior
                                  : start + CharSize(start, end);
    }
}

void CWrappedText::LayOutFromGuess(size_t from, size_t end, std::vector<uint32_t>& starts) {
    starts.push_back(static_cast<uint32_t>(from));
    if (m_width <= 0 || m_width <= m_measure.aveWidth) {
        return; // a box narrower than a character does not wrap
    }
    const unsigned char* text = reinterpret_cast<const unsigned char*>(m_text.data());
    const int width = m_width;
    const bool* lead = m_cp->lead;
    // Most paragraphs fit on one line.
    {
        int x = 0;
        size_t at = from;
        while (at < end && x <= width && text[at] != '\t' && !lead[text[at]]) {
            x += m_measure.widths[text[at++]];
        }
        if (at >= end && x <= width) {
            return;
        }
    }
    // The characters, their advances and where a line may start, in one pass.
    const size_t bytes = end - from;
    m_charAt.resize(bytes + 1);
    m_xBefore.resize(bytes + 1);
    m_soft.resize(bytes);
    ELineClass before = ELineClass::Letter;
    bool spaced = false;
    bool tabs = false;
    size_t lastTab = 0;
    int x = 0;
    size_t chars = 0;
    m_xBefore[0] = 0;
    for (size_t at = from; at < end; ++chars) {
        const unsigned char c = text[at];
        const ELineClass cls = m_classes[c];
        m_soft[chars] =
            at > from && m_breaks[spaced][static_cast<int>(before)][static_cast<int>(cls)];
        if (cls == ELineClass::Space) {
            spaced = true;
        } else {
            before = cls;
            spaced = false;
        }
        m_charAt[chars] = static_cast<uint32_t>(at);
        if (c == '\t') {
            tabs = true;
            lastTab = chars;
            ++at;
        } else if (lead[c]) {
            const size_t n = CharSize(at, end);
            x += Advance(at, n, x);
            at += n;
        } else {
            x += m_measure.widths[c];
            ++at;
        }
        m_xBefore[chars + 1] = x;
    }
    m_charAt[chars] = static_cast<uint32_t>(end);
    if (!tabs && x <= width) {
        return;
    }
    // As the box itself does: from a guess of where the line ends, the last place a line may
    // start that still fits, left of the guess; with none, all that fits but its last character.
    size_t line = 0; // the character the line starts with
    for (;;) {
        const size_t count = chars - line;
        // Tabs stop from the line's start: a line with tabs ahead is measured again.
        const bool tabbed = tabs && lastTab >= line;
        if (tabbed) {
            m_lineX.assign(1, 0);
            int lineX = 0;
            for (size_t i = line; i < chars; ++i) {
                const size_t at = m_charAt[i];
                lineX += Advance(at, m_charAt[i + 1] - at, lineX);
                m_lineX.push_back(lineX);
            }
        }
        const auto xAt = [&](size_t i) {
            return tabbed ? m_lineX[i] : m_xBefore[line + i] - m_xBefore[line];
        };
        const int lineWidth = xAt(count);
        if (lineWidth <= width) {
            break;
        }
        long prev = static_cast<long>(count) - 1;
        float d = static_cast<float>(lineWidth) / static_cast<float>(width);
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
            while (i > 0 && !m_soft[line + static_cast<size_t>(i)]) {
                --i;
            }
            prev = i;
            if (prev > 0) {
                fits = xAt(static_cast<size_t>(prev));
            }
            next = prev - 1;
        } while (prev > 0 && fits > width);
        if (prev == 0) {
            // Counted back from the paragraph's end, from the last width tried: a line that
            // had a place to start left of the guess, but none that fits, comes out too long.
            prev = static_cast<long>(count) - 1;
            do {
                fits -= xAt(static_cast<size_t>(prev) + 1) - xAt(static_cast<size_t>(prev));
                --prev;
            } while (prev > 0 && fits > width);
            prev = std::max(prev, 1L);
        }
        line += static_cast<size_t>(prev);
        starts.push_back(m_charAt[line]);
    }
}

int CWrappedText::XOf(size_t line, size_t offset) {
    const auto [start, end] = Span(line);
    int x = 0;
    for (size_t at = start; at < offset && at < end;) {
        const size_t n = CharSize(at, end);
        x += Advance(at, n, x);
        at += n;
    }
    return x;
}

size_t CWrappedText::OffsetAt(size_t line, int x) {
    const auto [start, end] = Span(line);
    int left = 0;
    size_t at = start;
    while (at < end) {
        const size_t n = CharSize(at, end);
        const int advance = Advance(at, n, left);
        if (x < left + advance / 2 + advance % 2) {
            break;
        }
        left += advance;
        at += n;
    }
    return at;
}

size_t CWrappedText::Next(size_t offset) const {
    if (offset >= m_text.size()) {
        return m_text.size();
    }
    if (m_text.compare(offset, 2, "\r\n") == 0) {
        return offset + 2;
    }
    return offset + CharSize(offset, m_text.size());
}

size_t CWrappedText::Prior(size_t offset) const {
    if (offset == 0) {
        return 0;
    }
    if (offset >= 2 && m_text.compare(offset - 2, 2, "\r\n") == 0) {
        return offset - 2;
    }
    // Lead bytes can also be trail bytes: count the run of lead bytes before offset.
    size_t run = 0;
    while (run + 1 < offset && m_cp->lead[static_cast<unsigned char>(m_text[offset - 2 - run])]) {
        ++run;
    }
    return run % 2 == 1 ? offset - 2 : offset - 1;
}

size_t CWrappedText::WordStart(size_t offset) const {
    size_t at = std::min(offset, m_text.size());
    while (at > 0) {
        const size_t prior = Prior(at);
        if (at - prior == 2 && m_text[prior] == '\r') {
            break;
        }
        const ELineClass here = at < m_text.size() ? ClassAt(at) : ELineClass::Space;
        if (ClassAt(prior) == ELineClass::Space && here != ELineClass::Space) {
            break;
        }
        at = prior;
    }
    return at;
}

size_t CWrappedText::WordEnd(size_t offset) const {
    size_t at = std::min(offset, m_text.size());
    bool spaces = false;
    while (at < m_text.size() && m_text.compare(at, 2, "\r\n") != 0) {
        const bool space = ClassAt(at) == ELineClass::Space;
        if (spaces && !space) {
            break;
        }
        spaces = spaces || space;
        at = Next(at);
    }
    return at;
}
