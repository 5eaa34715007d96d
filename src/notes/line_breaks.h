// Where a line of the search result may end, by the characters on either side.
#pragma once

#include <cstdint>

// Where a line may end, by the kind of character on either side (the common classes of
// Unicode's line breaking rules). A character with its combining marks takes the class of its
// first code point.
enum class ELineClass : uint8_t {
    Letter,     // letters, and anything not named below
    Space,      // blanks: a line may end after them
    After,      // break after: tab, vertical bar, soft hyphen, dashes, zero-width space
    Hyphen,     // hyphen-minus: break after, unless a digit follows
    Solidus,    // slash: break after, unless a digit follows
    Exclaim,    // ! ? and CJK stops and closing brackets: never at a line's start
    Infix,      // , . : ;: never at a line's start, no break after before letters
    Close,      // ) ] }: never at a line's start, no break after before letters
    Open,       // ( [ { and opening brackets: never at a line's end
    Quote,      // quotation marks: no break on either side
    Prefix,     // $ + \ and currency signs: break before, none after
    Postfix,    // % and the like: break before, none after
    Digit,      // digits
    Glue,       // no-break spaces and joiners: no break on either side
    Both,       // em dash: break before and after
    Ideograph,  // CJK ideographs, kana, Hangul syllables, fullwidth forms: break before and after
    NonStarter, // small kana, iteration and prolonged sound marks: never at a line's start
};
constexpr int kLineClasses = static_cast<int>(ELineClass::NonStarter) + 1;

ELineClass LineClassOf(char32_t code);
// Whether a line may end between two characters; spaced when blanks lie between them.
bool MayBreakBetween(ELineClass before, ELineClass after, bool spaced);

// The rules as tables, for the layout's inner loop. Between two characters the state is the
// class of the last one but blanks, with kSpaced when blanks followed it.
struct SLineBreaks {
    static constexpr uint8_t kSpaced = 32;
    SLineBreaks();
    static uint8_t After(uint8_t state, ELineClass cls) {
        return cls == ELineClass::Space ? state | kSpaced : static_cast<uint8_t>(cls);
    }
    // The same after an ASCII character, without a branch: blanks come at random in a text,
    // and a mispredicted branch per word made the layout three times slower.
    uint8_t AfterAscii(uint8_t state, unsigned char c) const {
        return static_cast<uint8_t>((state & keep[c]) | set[c]);
    }
    bool May(uint8_t state, ELineClass after) const {
        return breaks[state][static_cast<int>(after)];
    }
    ELineClass ascii[128];
    uint8_t keep[128]; // of the state: all of it after a blank, none after others
    uint8_t set[128];  // into the state: the blank mark, or the class
    bool breaks[2 * kSpaced][kSpaced];
};
static_assert(kLineClasses <= SLineBreaks::kSpaced, "a class and the blanks share a byte");
const SLineBreaks& LineBreaks();
