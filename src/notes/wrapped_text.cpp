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
        return before != C::Open;
    }
    if (before == C::Glue || after == C::Glue || before == C::Open || before == C::Quote ||
        after == C::Quote || after == C::After || after == C::Hyphen) {
        return false;
    }
    switch (before) {
    case C::After:
    case C::Exclaim:
        return true;
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

CWrappedText::CWrappedText() {
    std::fill(std::begin(m_classes), std::end(m_classes), ELineClass::Letter);
    for (int spaced = 0; spaced < 2; ++spaced) {
        for (int before = 0; before < kLineClasses; ++before) {
            for (int after = 0; after < kLineClasses; ++after) {
                m_breaks[spaced][before][after] = MayBreakBetween(
                    static_cast<ELineClass>(before), static_cast<ELineClass>(after), spaced != 0);
            }
        }
    }
    m_next = 1; // the empty text, laid out as no lines until Reset
}

void CWrappedText::Reset(std::string text, const STextMeasure& measure, int width,
                         const SCodePage& cp) {
    m_text = std::move(text);
    m_cp = &cp;
    for (int b = 0; b < 256; ++b) {
        m_classes[b] = cp.lead[b] ? ELineClass::Ideograph : LineClassOf(cp.unicode[b]);
    }
    m_doubleWidths.clear();
    Relayout(measure, width);
}

void CWrappedText::Relayout(const STextMeasure& measure, int width) {
    m_measure = measure;
    m_width = width;
    if (m_cp != nullptr && m_cp->doubleByte) {
        m_doubleWidths.assign(65536, -1);
    }
    m_starts.clear();
    m_next = 0;
    // The first screenful at once.
    LayOutMore(4096);
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

void CWrappedText::LayOutParagraph() {
    const size_t end = FindLineBreak(m_text, m_next);
    const bool wraps = m_width > 0 && m_width > m_measure.aveWidth;
    const unsigned char* text = reinterpret_cast<const unsigned char*>(m_text.data());
    const bool* lead = m_cp->lead;
    const int* widths = m_measure.widths;
    const ELineClass* classes = m_classes;
    const int width = m_width;
    size_t start = m_next;
    for (;;) {
        m_starts.push_back(static_cast<uint32_t>(start));
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
    m_next = end + 2;
}

bool CWrappedText::LayOutMore(size_t bytes) {
    const size_t from = m_next;
    while (m_next <= m_text.size() && m_next - from <= bytes) {
        LayOutParagraph();
    }
    return !Complete();
}

size_t CWrappedText::EstimatedLines() const {
    if (Complete() || m_next == 0) {
        return m_starts.size();
    }
    const double perByte = static_cast<double>(m_starts.size()) / static_cast<double>(m_next);
    const double rest = static_cast<double>(m_text.size() - std::min(m_next, m_text.size()));
    return m_starts.size() + static_cast<size_t>(perByte * rest);
}

void CWrappedText::LayOutLine(size_t line) {
    while (m_starts.size() <= line && !Complete()) {
        LayOutParagraph();
    }
}

size_t CWrappedText::LineEnd(size_t line) const {
    const size_t start = m_starts[line];
    const size_t next = line + 1 < m_starts.size() ? m_starts[line + 1]
                        : Complete()               ? m_text.size()
                                                   : m_next;
    return next >= start + 2 && m_text.compare(next - 2, 2, "\r\n") == 0 ? next - 2 : next;
}

size_t CWrappedText::LineOf(size_t offset) {
    offset = std::min(offset, m_text.size());
    while (!Complete() && m_next <= offset) {
        LayOutParagraph();
    }
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), offset);
    return after == m_starts.begin() ? 0 : static_cast<size_t>(after - m_starts.begin()) - 1;
}

int CWrappedText::XOf(size_t line, size_t offset) const {
    const size_t end = LineEnd(line);
    int x = 0;
    for (size_t at = m_starts[line]; at < offset && at < end;) {
        const size_t n = CharSize(at, end);
        x += Advance(at, n, x);
        at += n;
    }
    return x;
}

size_t CWrappedText::OffsetAt(size_t line, int x) const {
    const size_t end = LineEnd(line);
    int left = 0;
    size_t at = m_starts[line];
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
