// The code page a stored text is read and written in, and the ones every build knows.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

// The system's ANSI code page: the form in which the data files have always held texts, and
// still hold every text that fits it.
class CCodePage {
public:
    virtual ~CCodePage() = default;
    // The bytes as text (UTF-8); a byte the code page does not define becomes what the system
    // makes of it.
    virtual std::string ToText(const char* bytes, size_t size) const = 0;
    // The text (valid UTF-8) in the code page; false when some character has no exact form in
    // it. Never a best-fit look-alike.
    virtual bool FromText(const std::string& text, std::string& bytes) const = 0;
    // Whether each byte string is the form of one text only, so that a text read from bytes is
    // always written back as the same bytes.
    virtual bool OneToOne() const = 0;
};

// The host build stands in for the system with Windows-1252.
const CCodePage& SystemCodePage();
// The code pages every build knows, for the tests among others.
const CCodePage& Windows1252CodePage();
const CCodePage& Utf8CodePage();

// A code page of one byte per character, from the character of each byte (0 for none).
std::unique_ptr<CCodePage> MakeSingleByteCodePage(const char16_t (&characters)[256]);
