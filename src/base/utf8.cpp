// UTF-8 decoding, checks and repair, and counts in UTF-16, sixteen bytes at a time where it pays.
#include "base/utf8.h"

#include "base/bits.h"

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUILLET_UTF8_SSE2 1
// Windows C runtimes search bytes one at a time; the host's library is already fast.
#ifdef _WIN32
#define QUILLET_FINDBYTE_SSE2 1
#endif
#endif

namespace {

bool Continues(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

#ifdef QUILLET_UTF8_SSE2
// Whether the sixteen bytes at p are all below 0x80.
bool AsciiBlock(const char* p) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return _mm_movemask_epi8(block) == 0;
}

#endif

} // namespace

char32_t DecodeUtf8(const char* text, size_t size, size_t& at) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text) + at;
    const size_t left = size - at;
    const unsigned char c = p[0];
    if (c < 0x80) {
        ++at;
        return c;
    }
    // The second byte's range tells overlong forms, surrogates and code points past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    size_t length = 0;
    char32_t code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        code = c & 0x0F;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        code = c & 0x07;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || left < length || p[1] < low || p[1] > high) {
        ++at;
        return kReplacementCharacter;
    }
    for (size_t i = 1; i < length; ++i) {
        if (!Continues(p[i])) {
            ++at;
            return kReplacementCharacter;
        }
        code = code << 6 | (p[i] & 0x3F);
    }
    at += length;
    return code;
}

size_t PriorUtf8(const char* text, size_t offset) {
    if (offset == 0) {
        return 0;
    }
    // A valid character starts at most three bytes back; anything else is a byte of its own.
    for (size_t back = 1; back <= 4 && back <= offset; ++back) {
        const size_t start = offset - back;
        if (!Continues(static_cast<unsigned char>(text[start])) || back == 4) {
            size_t at = start;
            DecodeUtf8(text, offset, at);
            if (at == offset) {
                return start;
            }
            break;
        }
    }
    return offset - 1;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool IsAscii(const char* text, size_t size) {
    size_t at = 0;
#ifdef QUILLET_UTF8_SSE2
    for (; at + 16 <= size; at += 16) {
        if (!AsciiBlock(text + at)) {
            return false;
        }
    }
#endif
    for (; at < size; ++at) {
        if (static_cast<unsigned char>(text[at]) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool IsValidUtf8(const char* text, size_t size) {
    for (size_t at = 0; at < size;) {
#ifdef QUILLET_UTF8_SSE2
        if (at + 16 <= size && AsciiBlock(text + at)) {
            at += 16;
            continue;
        }
#endif
        const size_t from = at;
        if (DecodeUtf8(text, size, at) == kReplacementCharacter) {
            // U+FFFD itself is three bytes; a replaced byte is one.
            if (at - from != 3) {
                return false;
            }
        }
    }
    return true;
}

std::string RepairedUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        AppendUtf8(out, DecodeUtf8(text.data(), text.size(), at));
    }
    return out;
}

size_t Utf16Length(const char* text, size_t size) {
    size_t units = 0;
    for (size_t at = 0; at < size;) {
#ifdef QUILLET_UTF8_SSE2
        if (at + 16 <= size && AsciiBlock(text + at)) {
            at += 16;
            units += 16;
            continue;
        }
#endif
        units += DecodeUtf8(text, size, at) >= 0x10000 ? 2 : 1;
    }
    return units;
}

size_t Utf8OffsetOfUnits(const char* text, size_t size, size_t units) {
    size_t at = 0;
    while (at < size && units > 0) {
#ifdef QUILLET_UTF8_SSE2
        if (units >= 16 && at + 16 <= size && AsciiBlock(text + at)) {
            at += 16;
            units -= 16;
            continue;
        }
#endif
        const size_t take = DecodeUtf8(text, size, at) >= 0x10000 ? 2 : 1;
        units = take >= units ? 0 : units - take;
    }
    return at;
}

std::u16string Utf8ToUtf16(const char* text, size_t size) {
    std::u16string out;
    out.reserve(size);
    for (size_t at = 0; at < size;) {
        const char32_t code = DecodeUtf8(text, size, at);
        if (code >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::string Utf16ToUtf8(const char16_t* units, size_t count, bool* replaced) {
    std::string out;
    out.reserve(count + count / 2);
    bool lone = false;
    for (size_t i = 0; i < count; ++i) {
        char32_t code = units[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacementCharacter;
            lone = true;
        }
        AppendUtf8(out, code);
    }
    if (replaced != nullptr) {
        *replaced = lone;
    }
    return out;
}

const unsigned char* FindByte(const unsigned char* p, unsigned char byte, size_t n) {
#ifdef QUILLET_FINDBYTE_SSE2
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(byte));
    while (n >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted));
        if (mask != 0) {
            return p + LowestSetBit(static_cast<unsigned>(mask));
        }
        p += 16;
        n -= 16;
    }
#endif
    return static_cast<const unsigned char*>(n != 0 ? std::memchr(p, byte, n) : nullptr);
}
