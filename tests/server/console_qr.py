#!/usr/bin/env python3
"""The QR code that tunaro-server.exe --console drew, read from what a
terminal got (a typescript of `script`), as a PBM image that zbarimg reads:
half blocks (one module a column, two a line) or, on the double-byte code
pages, "##" for a light module and two blanks for a dark one.

  console_qr.py TYPESCRIPT IMAGE.pbm

Exits 1 when the output holds no QR code.
"""

import re
import sys

SCALE = 4  # pixels a module, and a white border of that many modules
HALF_BLOCKS = {"\u2588": (True, True), "\u2580": (True, False), "\u2584": (False, True),
               " ": (False, False)}


def qr_lines(text):
    """The drawing's lines: the longest block of lines of only blocks (or
    "##") and blanks, after the console's escape sequences are gone (the
    pairing code's large letters are such a block too, of five lines)."""
    text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", text)
    blocks, lines = [], []
    for line in re.split(r"[\r\n]+", text):
        body = line[2:] if line.startswith("  ") else None
        drawn = body is not None and len(body) >= 20 and (
            set(body) <= set(HALF_BLOCKS) or set(body) <= {"#", " "})
        if drawn and body.strip():
            lines.append(body)
        elif lines:
            blocks.append(lines)
            lines = []
    return max(blocks + [lines], key=len)


def modules(lines):
    """Rows of booleans, True for a light module."""
    if all(set(line) <= {"#", " "} for line in lines):
        return [[line[x] == "#" for x in range(0, len(line), 2)] for line in lines]
    rows = []
    for line in lines:
        rows.append([HALF_BLOCKS[c][0] for c in line])
        rows.append([HALF_BLOCKS[c][1] for c in line])
    return rows


def main():
    with open(sys.argv[1], encoding="utf-8", errors="replace") as typescript:
        lines = qr_lines(typescript.read())
    if not lines:
        print("no QR code in the console's output", file=sys.stderr)
        return 1
    rows = modules(lines)
    width = max(len(row) for row in rows) + 2
    pixels = []
    for row in [[]] + rows + [[]]:
        cells = [False] + row + [True] * (width - 1 - len(row))
        line = " ".join("0" if light or x in (0, width - 1) or not row else "1"
                        for x, light in enumerate(cells) for _ in range(SCALE))
        pixels.extend([line] * SCALE)
    with open(sys.argv[2], "w") as image:
        image.write("P1\n%d %d\n%s\n" % (width * SCALE, len(pixels), "\n".join(pixels)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
