#!/usr/bin/env python3
"""Writes src/base/unicode_tables.cpp from the Unicode data of Python's unicodedata module:
the ranges of combining marks (general categories Mn, Mc and Me), and the table the note search
compares characters by: per code point its simple case folding, with a Latin, Greek or Cyrillic
letter split into its base letter and the marks of its canonical decomposition."""
import os
import shutil
import subprocess
import sys
import unicodedata

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Must match kFoldBlockBits in src/base/unicode_tables.h.
FOLD_BLOCK_BITS = 6

# Letters with a stroke or slash have no canonical decomposition; the search still lets "l"
# find "ł" and keeps "ł" from finding "l", so they are split as if they had one.
STROKES = {
    0x0142: [0x006C, 0x0337],  # ł
    0x00F8: [0x006F, 0x0338],  # ø
    0x0111: [0x0064, 0x0335],  # đ
    0x0127: [0x0068, 0x0335],  # ħ
    0x0167: [0x0074, 0x0335],  # ŧ
    0x0180: [0x0062, 0x0335],  # ƀ
    0x0268: [0x0069, 0x0335],  # ɨ
    0x01B6: [0x007A, 0x0335],  # ƶ
    0x01E5: [0x0067, 0x0335],  # ǥ
    0x0249: [0x006A, 0x0335],  # ɉ
    0x024D: [0x0072, 0x0335],  # ɍ
    0x024F: [0x0079, 0x0335],  # ɏ
    0x0289: [0x0075, 0x0335],  # ʉ
    0x023C: [0x0063, 0x0338],  # ȼ
}

KIND_MARK = 1
KIND_LETTER = 2


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
    lines += [f"    {{0x{first:X}, 0x{last:X}}}," for first, last in pairs]
    lines.append("};")
    return "\n".join(lines)


def is_mark(code):
    return unicodedata.category(chr(code)) in ("Mn", "Mc", "Me")


def is_letter_of_accents(code):
    """Latin, Greek and Cyrillic letters: the scripts whose accents a search may pass over."""
    ch = chr(code)
    if not unicodedata.category(ch).startswith("L"):
        return False
    words = unicodedata.name(ch, "").split()
    return any(script in words for script in ("LATIN", "GREEK", "CYRILLIC"))


def simple_fold(code):
    # A mark keeps its form: U+0345 would otherwise become a letter of its own.
    if is_mark(code):
        return code
    folded = chr(code).casefold()
    if len(folded) == 1:
        return ord(folded)
    # Full folding would make several characters; the simple folding is the lower case where
    # that is one character (as for U+1E9E and the Greek letters with prosgegrammeni).
    lower = chr(code).lower()
    return ord(lower) if len(lower) == 1 else code


def canonical_decomposition(code):
    text = unicodedata.decomposition(chr(code))
    if not text or text.startswith("<"):
        return None
    return [int(part, 16) for part in text.split()]


def canonical_order(codes):
    """Marks of different classes in one order, as canonical decomposition puts them."""
    out = list(codes)
    for i in range(1, len(out)):
        j = i
        while j > 1 and 0 < unicodedata.combining(chr(out[j])) < unicodedata.combining(
            chr(out[j - 1])
        ):
            out[j - 1], out[j] = out[j], out[j - 1]
            j -= 1
    return out


def expand(code):
    """The code points the search compares a character as: folded, and decomposed where that is
    canonical equivalence without dropping a distinction the script keeps."""
    folded = simple_fold(code)
    parts = STROKES.get(folded) or canonical_decomposition(folded)
    if parts and len(parts) == 1:
        return expand(parts[0])
    # A mark is split only into the accents that Latin, Greek and Cyrillic share (U+0344).
    generic = parts and all(0x300 <= part <= 0x36F for part in parts)
    if parts and (is_letter_of_accents(folded) or (is_mark(folded) and generic)):
        assert all(is_mark(part) for part in parts[1:]), hex(code)
        out = expand(parts[0])
        for part in parts[1:]:
            out += expand(part)
        return canonical_order(out)
    return [folded]


def fold_entry(code):
    out = expand(code)
    first = out[0]
    assert expand(first) == [first], hex(code)
    assert all(is_mark(mark) and mark < 0x10000 for mark in out[1:]), hex(code)
    kind = (KIND_MARK if is_mark(first) else 0) | (
        KIND_LETTER if is_letter_of_accents(first) else 0
    )
    return (first - code, tuple(out[1:]), kind, unicodedata.combining(chr(first)))


def fold_tables():
    entries = {}
    marks = []
    mark_at = {(): 0}
    code_entries = []
    for code in range(0x10000):
        entry = fold_entry(code)
        if entry[1] not in mark_at:
            mark_at[entry[1]] = len(marks)
            marks += entry[1]
        code_entries.append(entries.setdefault(entry, len(entries)))
    size = 1 << FOLD_BLOCK_BITS
    blocks = {}
    pages = []
    for start in range(0, 0x10000, size):
        block = tuple(code_entries[start : start + size])
        pages.append(blocks.setdefault(block, len(blocks)))
    assert len(blocks) <= 256 and len(entries) <= 0x10000 and len(marks) <= 0x10000
    ordered = sorted(entries, key=entries.get)
    return pages, sorted(blocks, key=blocks.get), ordered, marks, mark_at


def astral_folds():
    out = []
    for code in range(0x10000, 0x110000):
        folded = expand(code)
        assert len(folded) == 1, hex(code)
        if folded[0] != code:
            out.append((code, folded[0]))
    return out


def numbers(values, per_line, digits):
    items = [f"0x{value:0{digits}X}," for value in values]
    rows = [" ".join(items[i : i + per_line]) for i in range(0, len(items), per_line)]
    return "\n".join("    " + row for row in rows)


def fold_text():
    pages, blocks, entries, marks, mark_at = fold_tables()
    block_rows = ",\n".join("    {" + numbers(block, 16, 4).strip() + "}" for block in blocks)
    entry_rows = "\n".join(
        f"    {{{delta}, {mark_at[tail]}, {len(tail)}, {kind}, {ccc}}},"
        for delta, tail, kind, ccc in entries
    )
    astral_rows = "\n".join(f"    {{0x{a:X}, 0x{b:X}}}," for a, b in astral_folds())
    return f"""static_assert(kFoldBlockBits == {FOLD_BLOCK_BITS}, "made for other blocks");

const unsigned char kFoldPages[0x10000 >> kFoldBlockBits] = {{
{numbers(pages, 16, 2)}
}};

const unsigned short kFoldBlocks[][1 << kFoldBlockBits] = {{
{block_rows}
}};

const SFoldEntry kFoldEntries[] = {{
{entry_rows}
}};

const char16_t kFoldMarks[] = {{
{numbers(marks, 8, 4)}
}};

const SAstralFold kAstralFolds[] = {{
{astral_rows}
}};
const size_t kAstralFoldCount = sizeof kAstralFolds / sizeof kAstralFolds[0];
"""


def main():
    marks = ranges(is_mark)
    text = f"""// Unicode's combining marks and how the search folds each character, as tables.
// Made by tools/make_unicode_tables.py from Unicode {unicodedata.unidata_version}; do not edit.
#include "base/unicode_tables.h"

{range_table("kCombiningMarks", marks)}
const size_t kCombiningMarkCount = sizeof kCombiningMarks / sizeof kCombiningMarks[0];

{fold_text()}"""
    path = os.path.join(ROOT, "src", "base", "unicode_tables.cpp")
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write(text)
    formatter = shutil.which("clang-format")
    if formatter:
        subprocess.run([formatter, "-i", "--style=file", path], check=True, cwd=ROOT)
    return 0


if __name__ == "__main__":
    sys.exit(main())
