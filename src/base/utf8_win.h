// Paths, UTF-8 inside the program, as UTF-16 for the wide calls of the system, and back.
// Through the wide calls, folder and file names outside the ANSI code page work.
#pragma once

#include <string>

// False, with nothing converted, for a text that is not valid UTF-8 or holds a zero: handed on
// anyway, it would name another file.
bool Utf8ToWide(const std::string& text, std::wstring& wide);

// False for units that are no valid UTF-16 (a lone surrogate, which NTFS allows in names).
bool WideToUtf8(const std::wstring& wide, std::string& text);
