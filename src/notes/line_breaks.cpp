// Line-break classes by code point, and the table of where a line may end between them.
#include "notes/line_breaks.h"

#include <algorithm>
#include <iterator>

namespace {

struct SClassRange {
    char32_t first;
    char32_t last;
    ELineClass cls;
};

constexpr ELineClass kLetter = ELineClass::Letter;
constexpr ELineClass kSpace = ELineClass::Space;
constexpr ELineClass kAfter = ELineClass::After;
constexpr ELineClass kHyphen = ELineClass::Hyphen;
constexpr ELineClass kSolidus = ELineClass::Solidus;
constexpr ELineClass kExclaim = ELineClass::Exclaim;
constexpr ELineClass kInfix = ELineClass::Infix;
constexpr ELineClass kClose = ELineClass::Close;
constexpr ELineClass kOpen = ELineClass::Open;
constexpr ELineClass kQuote = ELineClass::Quote;
constexpr ELineClass kPrefix = ELineClass::Prefix;
constexpr ELineClass kPostfix = ELineClass::Postfix;
constexpr ELineClass kDigit = ELineClass::Digit;
constexpr ELineClass kGlue = ELineClass::Glue;
constexpr ELineClass kBoth = ELineClass::Both;
constexpr ELineClass kIdeograph = ELineClass::Ideograph;
constexpr ELineClass kNonStarter = ELineClass::NonStarter;

// Every character not named here is a letter. The ASCII and Windows-1252 characters keep the
// classes the box has always wrapped them by; closing marks of the CJK blocks break as Wine's box
// breaks after them, as after a stop; small kana and sound marks never start a line.
constexpr SClassRange kClasses[] = {
    {0x09, 0x09, kAfter},
    {0x20, 0x20, kSpace},
    {'!', '!', kExclaim},
    {'"', '"', kQuote},
    {'$', '$', kPrefix},
    {'%', '%', kPostfix},
    {'\'', '\'', kQuote},
    {'(', '(', kOpen},
    {')', ')', kClose},
    {'+', '+', kPrefix},
    {',', ',', kInfix},
    {'-', '-', kHyphen},
    {'.', '.', kInfix},
    {'/', '/', kSolidus},
    {'0', '9', kDigit},
    {':', ';', kInfix},
    {'?', '?', kExclaim},
    {'[', '[', kOpen},
    {'\\', '\\', kPrefix},
    {']', ']', kClose},
    {'{', '{', kOpen},
    {'|', '|', kAfter},
    {'}', '}', kClose},
    {0xA0, 0xA0, kGlue},
    {0xA2, 0xA2, kPostfix},
    {0xA3, 0xA5, kPrefix},
    {0xAB, 0xAB, kQuote},
    {0xAD, 0xAD, kAfter},
    {0xB0, 0xB0, kPostfix},
    {0xB1, 0xB1, kPrefix},
    {0xBB, 0xBB, kQuote},
    {0x2007, 0x2007, kGlue},
    {0x200B, 0x200B, kAfter},
    {0x2010, 0x2010, kAfter},
    {0x2011, 0x2011, kGlue},
    {0x2012, 0x2013, kAfter},
    {0x2014, 0x2014, kBoth},
    {0x2018, 0x2019, kQuote},
    {0x201C, 0x201D, kQuote},
    {0x202F, 0x202F, kGlue},
    {0x2030, 0x2030, kPostfix},
    {0x2039, 0x203A, kQuote},
    {0x2060, 0x2060, kGlue},
    {0x20AC, 0x20AC, kPrefix},
    {0x2E80, 0x2FFF, kIdeograph},
    {0x3000, 0x3000, kAfter},
    {0x3001, 0x3002, kExclaim},
    {0x3003, 0x3004, kIdeograph},
    {0x3005, 0x3005, kNonStarter},
    {0x3006, 0x3007, kIdeograph},
    {0x3008, 0x3008, kOpen},
    {0x3009, 0x3009, kExclaim},
    {0x300A, 0x300A, kOpen},
    {0x300B, 0x300B, kExclaim},
    {0x300C, 0x300C, kOpen},
    {0x300D, 0x300D, kExclaim},
    {0x300E, 0x300E, kOpen},
    {0x300F, 0x300F, kExclaim},
    {0x3010, 0x3010, kOpen},
    {0x3011, 0x3011, kExclaim},
    {0x3012, 0x3013, kIdeograph},
    {0x3014, 0x3014, kOpen},
    {0x3015, 0x3015, kExclaim},
    {0x3016, 0x3016, kOpen},
    {0x3017, 0x3017, kExclaim},
    {0x3018, 0x3018, kOpen},
    {0x3019, 0x3019, kExclaim},
    {0x301A, 0x301A, kOpen},
    {0x301B, 0x301B, kExclaim},
    {0x301C, 0x301C, kNonStarter},
    {0x301D, 0x303A, kIdeograph},
    {0x303B, 0x303B, kNonStarter},
    {0x303C, 0x3040, kIdeograph},
    {0x3041, 0x3041, kNonStarter},
    {0x3042, 0x3042, kIdeograph},
    {0x3043, 0x3043, kNonStarter},
    {0x3044, 0x3044, kIdeograph},
    {0x3045, 0x3045, kNonStarter},
    {0x3046, 0x3046, kIdeograph},
    {0x3047, 0x3047, kNonStarter},
    {0x3048, 0x3048, kIdeograph},
    {0x3049, 0x3049, kNonStarter},
    {0x304A, 0x3062, kIdeograph},
    {0x3063, 0x3063, kNonStarter},
    {0x3064, 0x3082, kIdeograph},
    {0x3083, 0x3083, kNonStarter},
    {0x3084, 0x3084, kIdeograph},
    {0x3085, 0x3085, kNonStarter},
    {0x3086, 0x3086, kIdeograph},
    {0x3087, 0x3087, kNonStarter},
    {0x3088, 0x308D, kIdeograph},
    {0x308E, 0x308E, kNonStarter},
    {0x308F, 0x3094, kIdeograph},
    {0x3095, 0x3096, kNonStarter},
    {0x3097, 0x309A, kIdeograph},
    {0x309B, 0x309E, kNonStarter},
    {0x309F, 0x309F, kIdeograph},
    {0x30A0, 0x30A1, kNonStarter},
    {0x30A2, 0x30A2, kIdeograph},
    {0x30A3, 0x30A3, kNonStarter},
    {0x30A4, 0x30A4, kIdeograph},
    {0x30A5, 0x30A5, kNonStarter},
    {0x30A6, 0x30A6, kIdeograph},
    {0x30A7, 0x30A7, kNonStarter},
    {0x30A8, 0x30A8, kIdeograph},
    {0x30A9, 0x30A9, kNonStarter},
    {0x30AA, 0x30C2, kIdeograph},
    {0x30C3, 0x30C3, kNonStarter},
    {0x30C4, 0x30E2, kIdeograph},
    {0x30E3, 0x30E3, kNonStarter},
    {0x30E4, 0x30E4, kIdeograph},
    {0x30E5, 0x30E5, kNonStarter},
    {0x30E6, 0x30E6, kIdeograph},
    {0x30E7, 0x30E7, kNonStarter},
    {0x30E8, 0x30ED, kIdeograph},
    {0x30EE, 0x30EE, kNonStarter},
    {0x30EF, 0x30F4, kIdeograph},
    {0x30F5, 0x30F6, kNonStarter},
    {0x30F7, 0x30FA, kIdeograph},
    {0x30FB, 0x30FE, kNonStarter},
    {0x30FF, 0x31EF, kIdeograph},
    {0x31F0, 0x31FF, kNonStarter},
    {0x3200, 0x4DBF, kIdeograph},
    {0x4E00, 0x9FFF, kIdeograph},
    {0xA000, 0xA4CF, kIdeograph},
    {0xAC00, 0xD7A3, kIdeograph},
    {0xF900, 0xFAFF, kIdeograph},
    {0xFE30, 0xFE4F, kIdeograph},
    {0xFEFF, 0xFEFF, kGlue},
    {0xFF00, 0xFF00, kIdeograph},
    {0xFF01, 0xFF01, kExclaim},
    {0xFF02, 0xFF07, kIdeograph},
    {0xFF08, 0xFF08, kOpen},
    {0xFF09, 0xFF09, kExclaim},
    {0xFF0A, 0xFF0B, kIdeograph},
    {0xFF0C, 0xFF0C, kExclaim},
    {0xFF0D, 0xFF0D, kIdeograph},
    {0xFF0E, 0xFF0E, kExclaim},
    {0xFF0F, 0xFF19, kIdeograph},
    {0xFF1A, 0xFF1B, kNonStarter},
    {0xFF1C, 0xFF1E, kIdeograph},
    {0xFF1F, 0xFF1F, kExclaim},
    {0xFF20, 0xFF3A, kIdeograph},
    {0xFF3B, 0xFF3B, kOpen},
    {0xFF3C, 0xFF3C, kIdeograph},
    {0xFF3D, 0xFF3D, kExclaim},
    {0xFF3E, 0xFF5A, kIdeograph},
    {0xFF5B, 0xFF5B, kOpen},
    {0xFF5C, 0xFF5C, kIdeograph},
    {0xFF5D, 0xFF5D, kExclaim},
    {0xFF5E, 0xFF5E, kIdeograph},
    {0xFF5F, 0xFF5F, kOpen},
    {0xFF60, 0xFF61, kExclaim},
    {0xFF62, 0xFF62, kOpen},
    {0xFF63, 0xFF64, kExclaim},
    {0xFF65, 0xFF65, kNonStarter},
    {0xFF66, 0xFF66, kIdeograph},
    {0xFF67, 0xFF70, kNonStarter},
    {0xFF71, 0xFFEF, kIdeograph},
    {0x1F000, 0x1FAFF, kIdeograph},
    {0x20000, 0x3FFFD, kIdeograph},
};

} // namespace

ELineClass LineClassOf(char32_t code) {
    const SClassRange* end = std::end(kClasses);
    const SClassRange* found =
        std::upper_bound(std::begin(kClasses), end, code,
                         [](char32_t c, const SClassRange& range) { return c < range.first; });
    return found != std::begin(kClasses) && code <= (found - 1)->last ? (found - 1)->cls : kLetter;
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
        return before != C::Open && !(before == C::Quote && after == C::Open) &&
               !((before == C::Close || before == C::Exclaim) && after == C::NonStarter);
    }
    if (before == C::Glue || after == C::Glue || before == C::Open || before == C::Quote ||
        after == C::Quote || after == C::After || after == C::Hyphen || after == C::NonStarter) {
        return false;
    }
    switch (before) {
    case C::After:
    case C::Exclaim:
        return true;
    case C::Close:
        return after == C::Open || after == C::Ideograph;
    case C::Infix:
        return after == C::Prefix || after == C::Open || after == C::Ideograph;
    case C::Postfix:
        return after == C::Prefix || after == C::Ideograph;
    case C::Hyphen:
    case C::Solidus:
        return after != C::Digit;
    default:
        break;
    }
    if (before == C::Both || after == C::Both) {
        return before != after;
    }
    if (before == C::Ideograph || before == C::NonStarter || after == C::Ideograph) {
        return before != C::Prefix && after != C::Postfix;
    }
    return before == C::Letter && (after == C::Prefix || after == C::Postfix);
}

SLineBreaks::SLineBreaks() : breaks() {
    for (char32_t c = 0; c < 128; ++c) {
        ascii[c] = LineClassOf(c);
        const bool blank = ascii[c] == ELineClass::Space;
        keep[c] = blank ? 0xFF : 0;
        set[c] = blank ? kSpaced : static_cast<uint8_t>(ascii[c]);
    }
    for (int before = 0; before < kLineClasses; ++before) {
        for (int after = 0; after < kLineClasses; ++after) {
            const ELineClass b = static_cast<ELineClass>(before);
            const ELineClass a = static_cast<ELineClass>(after);
            breaks[before][after] = MayBreakBetween(b, a, false);
            breaks[before | kSpaced][after] = MayBreakBetween(b, a, true);
        }
    }
}

const SLineBreaks& LineBreaks() {
    static const SLineBreaks rules;
    return rules;
}
