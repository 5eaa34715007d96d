#include "notes/text_fill.h"

#include "base/codepage.h"

void CTextFill::Start(std::string text) {
    m_text = std::move(text);
    m_pos = 0;
}

void CTextFill::Clear() {
    m_text.clear();
    m_text.shrink_to_fit();
    m_pos = 0;
}

std::string CTextFill::Next(size_t limit) {
    const size_t rest = m_text.size() - m_pos;
    size_t size = rest <= limit ? rest : 0;
    if (size == 0) {
        const size_t lineEnd = m_text.rfind('\n', m_pos + limit - 1);
        if (lineEnd != std::string::npos && lineEnd >= m_pos) {
            size = lineEnd + 1 - m_pos;
        } else {
            // Whole characters only; a line too long for one piece is cut between them.
            const SCodePage& cp = SystemCodePage();
            while (size < limit || size == 0) {
                const size_t step =
                    cp.lead[static_cast<unsigned char>(m_text[m_pos + size])] ? 2 : 1;
                if (size + step > limit && size != 0) {
                    break;
                }
                size += step;
                if (m_pos + size >= m_text.size()) {
                    size = m_text.size() - m_pos;
                    break;
                }
            }
        }
    }
    std::string piece = m_text.substr(m_pos, size);
    m_pos += size;
    if (!Pending()) {
        Clear();
    }
    return piece;
}
