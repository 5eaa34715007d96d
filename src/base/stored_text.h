// How a text is kept in the data files.
// A text that fits the system's code page is stored in it, byte for byte as the files always held
// texts; any other text is stored as UTF-8 behind a byte-order mark (EF BB BF), and so is a
// code-page text whose bytes happen to begin with those three, so that reading is never
// ambiguous. An older Quillet loads such a string as any other and shows its bytes as its code
// page reads them.
//
// Inside the program every text is UTF-8, with one exception: stored bytes that no text is
// stored as (two byte sequences a code page reads alike, UTF-8 that is not valid on a system
// whose code page is UTF-8) are kept as they were read, behind kKeptBytesMark, a byte UTF-8
// never holds, and written back unchanged until someone edits the text.
#pragma once

#include "base/codepage.h"

#include <cstdint>
#include <string>

constexpr char kKeptBytesMark = '\xFF';
constexpr const char kUtf8Mark[] = "\xEF\xBB\xBF";

inline bool IsKeptBytes(const std::string& text) {
    return !text.empty() && text[0] == kKeptBytesMark;
}

// The text of a stored string.
std::string TextFromStored(std::string stored, const CCodePage& cp = SystemCodePage());
// The stored form of a text.
std::string StoredFromText(const std::string& text, const CCodePage& cp = SystemCodePage());
// The size of StoredFromText's result.
uint64_t StoredSize(const std::string& text, const CCodePage& cp = SystemCodePage());
// The text as the user sees it: kept bytes read as well as they can be (the code page's
// reading, or the UTF-8 behind a mark); any other text as it is.
std::string ShownText(const std::string& text, const CCodePage& cp = SystemCodePage());
