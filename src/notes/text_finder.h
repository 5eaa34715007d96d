// Finds a search text in a result line, its date head and its note, by folded characters.
#pragma once

#include "notes/ascii_finder.h"
#include "notes/folded_needle.h"

#include <cstddef>
#include <string>

// Finds a search text in the lines of the search, a date head ("dd.mm.yy ") and a note, by
// folded characters (CFoldedNeedle). An ASCII needle is looked for in the bytes sixteen at a time
// first; characters are compared one by one only around the bytes that are not ASCII, where the
// only other matches can be. Built once per search, used for every line.
class CTextFinder {
public:
    explicit CTextFinder(const std::string& searchText);

    // Whether a match lies wholly in the text; *ascii tells on a miss whether the text is ASCII.
    bool InText(const char* text, size_t size, bool* ascii) const {
        if (m_ascii && m_bytes.In(text, size, ascii)) {
            return true;
        }
        return (!m_ascii || !*ascii) && AroundOtherBytes(text, size, ascii);
    }
    // Whether a match could start in the head of the key: a cheap test before the head is made.
    bool MayStartInHead(const std::string& key) const {
        for (const char c : key) {
            if (m_headBytes[static_cast<unsigned char>(c)]) {
                return true;
            }
        }
        return m_anyHead;
    }
    // Whether a match starts in the head (which ends with a blank) and runs on into the text.
    bool InHead(const char* head, size_t headSize, const char* text, size_t size,
                bool textAscii) const;

private:
    bool AroundOtherBytes(const char* text, size_t size, bool* ascii) const;
    bool BytesAcross(const char* head, size_t headSize, const char* text, size_t size) const;

    CFoldedNeedle m_folded;
    bool m_ascii; // the needle folds to ASCII: m_bytes looks for it
    CAsciiFinder m_bytes;
    // The key bytes a match could start at in the head (the head holds the key's bytes, points
    // and a blank; other bytes may fold to anything), or whether it could start at a point or
    // the blank.
    bool m_headBytes[256] = {};
    bool m_anyHead = false;
};
