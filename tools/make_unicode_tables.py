#!/usr/bin/env python3
"""Writes src/base/unicode_tables.cpp from the Unicode data of Python's unicodedata module:
the ranges of combining marks (general categories Mn, Mc and Me)."""
import os
import sys
import unicodedata

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def ranges(accept):
    out = []
    start = None
    for code in range(0x110000 + 1):
        inside = code < 0x110000 and accept(code)
        if inside and start is None:
            start = code
        elif not inside and start is not None:
            out.append((start, code - 1))
            start = None
    return out


def range_table(name, pairs):
    lines = [f"const SCodeRange {name}[] = {{"]
    row = []
    for first, last in pairs:
        row.append(f"{{0x{first:X}, 0x{last:X}}},")
        if len(row) == 4:
            lines.append("    " + " ".join(row))
            row = []
    if row:
        lines.append("    " + " ".join(row))
    lines.append("};")
    return "\n".join(lines)


def main():
    marks = ranges(lambda c: unicodedata.category(chr(c)) in ("Mn", "Mc", "Me"))
    text = f"""// Made by tools/make_unicode_tables.py from Unicode {unicodedata.unidata_version}; do not edit.
#include "base/unicode_tables.h"

{range_table("kCombiningMarks", marks)}
const size_t kCombiningMarkCount = sizeof kCombiningMarks / sizeof kCombiningMarks[0];
"""
    path = os.path.join(ROOT, "src", "base", "unicode_tables.cpp")
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
