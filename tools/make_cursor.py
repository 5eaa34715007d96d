#!/usr/bin/env python3
"""Draws the link cursor (a pointing hand) as src/app/res/hand.cur."""
import struct
import sys

# '#' outline, '.' fill, anything else transparent; the hot spot is the fingertip.
HAND = """
      ##
     #..#
     #..#
     #..#
     #..#
     #..###
     #..#..###
     #..#..#..##
  ## #..#..#..#.#
 #..##........#.#
 #...#..........#
  #..#..........#
  #.............#
   #............#
   #...........#
    #..........#
    #.........#
     #........#
     #........#
     ##########
"""
HOTSPOT = (6, 0)


def main(path):
    rows = HAND.strip("\n").split("\n")
    size = 32
    grid = [[" "] * size for _ in range(size)]
    for y, line in enumerate(rows):
        for x, ch in enumerate(line):
            grid[y][x] = ch
    xor_rows, and_rows = [], []
    for y in reversed(range(size)):  # bitmaps run bottom-up
        xor_bits = and_bits = 0
        for x in range(size):
            ch = grid[y][x]
            bit = 1 << (31 - x)
            if ch == ".":
                xor_bits |= bit  # white
            elif ch != "#":
                and_bits |= bit  # transparent
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<4B4B", 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "src/app/res/hand.cur")
