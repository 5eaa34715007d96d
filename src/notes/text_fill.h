#pragma once

#include <cstddef>
#include <string>

// A text that reaches an edit box in pieces, each ending at a line break where one lies within
// its limit and never inside a double-byte character.
class CTextFill {
public:
    void Start(std::string text);
    void Clear();
    bool Pending() const { return m_pos < m_text.size(); }
    // The next piece of at most limit bytes (at least one character).
    std::string Next(size_t limit);

private:
    std::string m_text;
    size_t m_pos = 0;
};
