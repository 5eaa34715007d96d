// The host build's stand-in for the system code page: Windows-1252.
#include "base/codepage.h"

namespace {

// Unicode of the bytes 0x80-0x9F; 0 where Windows-1252 maps the byte to the same C1 control.
const char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

SCodePage MakeCp1252() {
    SCodePage cp{};
    for (int b = 0; b < 256; ++b) {
        int lower = b;
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
            lower = b + 0x20;
        } else if (b == 0x8A || b == 0x8C || b == 0x8E) { // S, OE, Z with caron/ligature
            lower = b + 0x10;
        } else if (b == 0x9F) { // Y with diaeresis
            lower = 0xFF;
        }
        cp.lower[b] = static_cast<unsigned char>(lower);
        cp.lead[b] = false;
        cp.unicode[b] = b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0 ? kHigh[b - 0x80]
                                                                      : static_cast<char16_t>(b);
    }
    cp.doubleByte = false;
    return cp;
}

} // namespace

const SCodePage& SystemCodePageTables() {
    static const SCodePage cp = MakeCp1252();
    return cp;
}

const CCodePage& SystemCodePage() {
    return Windows1252CodePage();
}
