// UTF-8, the form every text takes inside the program, and its steps to and from UTF-16.
// UTF-16 is the form of the windows. Decoding is lenient: a byte that starts no valid sequence
// stands for itself as U+FFFD, so that any bytes can be shown and walked through.
#pragma once

#include <cstddef>
#include <string>

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The code point that starts at text[at], moving at past it; an invalid or cut sequence is one
// byte, read as U+FFFD.
char32_t DecodeUtf8(const char* text, size_t size, size_t& at);
// Where the character before offset starts (lenient as DecodeUtf8).
size_t PriorUtf8(const char* text, size_t offset);
void AppendUtf8(std::string& out, char32_t code);
// Strictly valid UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const char* text, size_t size);
inline bool IsValidUtf8(const std::string& text) {
    return IsValidUtf8(text.data(), text.size());
}
// Only bytes below 0x80; sixteen at a time.
bool IsAscii(const char* text, size_t size);
inline bool IsAscii(const std::string& text) {
    return IsAscii(text.data(), text.size());
}
// The text with every invalid sequence made U+FFFD.
std::string RepairedUtf8(const std::string& text);

// The UTF-16 units the text takes (invalid sequences as one unit each); sixteen bytes at a time.
size_t Utf16Length(const char* text, size_t size);
inline size_t Utf16Length(const std::string& text) {
    return Utf16Length(text.data(), text.size());
}
// The byte offset at which `units` UTF-16 units of the text end, never inside a character (a
// count that ends inside a surrogate pair takes the whole character); the size when the text
// is shorter.
size_t Utf8OffsetOfUnits(const char* text, size_t size, size_t units);

std::u16string Utf8ToUtf16(const char* text, size_t size);
inline std::u16string Utf8ToUtf16(const std::string& text) {
    return Utf8ToUtf16(text.data(), text.size());
}
// A lone surrogate, which no text can hold, becomes U+FFFD; replaced tells whether one did.
std::string Utf16ToUtf8(const char16_t* units, size_t count, bool* replaced = nullptr);
inline std::string Utf16ToUtf8(const std::u16string& units, bool* replaced = nullptr) {
    return Utf16ToUtf8(units.data(), units.size(), replaced);
}

// First position of the byte in [p, p + n), or nullptr; sixteen bytes at a time where the C
// runtime's memchr is a plain loop.
const unsigned char* FindByte(const unsigned char* p, unsigned char byte, size_t n);
