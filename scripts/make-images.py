#!/usr/bin/env python3
"""Draws Tunaro's five button images as GIF files, and the home screen icons.

    python3 scripts/make-images.py [OUT_DIR] [--preview FILE.png]

OUT_DIR defaults to assets/images. The icons (icon-192.png, icon-512.png) are
what the web app manifest, tunaro.webmanifest beside them, names: a white play
sign on the buttons' slate, filling the square to its edges, with the sign
inside the middle 60 % that a home screen's mask of any shape keeps. Only the standard library is used: the
shapes are sampled 4x4 per pixel for smooth edges, and the GIF (with its LZW
compression) is written by hand. --preview also writes a PNG sheet of the
buttons at four times their size, on light and dark backgrounds, for a look.

The control page shows the images at their natural size (44x36, a good finger
target on a phone); the compact panel shows four of them at 22x18, half size.
GIF transparency is on or off per pixel, so the rounded corners are blended
against MATTE, the table colour of our sample configuration, and pixels the
button barely touches are left transparent.
"""

import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 44, 36
RADIUS = 8.0
SAMPLES = 4  # per axis and pixel
MATTE = (0xE8, 0xEE, 0xF4)

# Top and bottom colours of each button's vertical gradient.
SLATE = ((0x4A, 0x5B, 0x6E), (0x2C, 0x38, 0x46))
ACCENT = ((0x2D, 0xA8, 0x6F), (0x1A, 0x7A, 0x4E))
GLYPH = (0xFF, 0xFF, 0xFF)
RIM = (0x1C, 0x25, 0x30)


# ---- shapes: each answers whether the point (x, y) lies inside --------------


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def rect(x0, y0, x1, y1, r=0.0):
    return rounded_rect(x0, y0, x1, y1, r)


def triangle(a, b, c):
    def edge(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    def inside(x, y):
        d1, d2, d3 = edge(a, b, x, y), edge(b, c, x, y), edge(c, a, x, y)
        negative = d1 < 0 or d2 < 0 or d3 < 0
        positive = d1 > 0 or d2 > 0 or d3 > 0
        return not (negative and positive)

    return inside


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


# ---- the glyphs, centred on the button --------------------------------------

CX, CY = WIDTH / 2.0, HEIGHT / 2.0
G = 7.0  # half the glyph's height


def right_triangle(left, width):
    return triangle((left, CY - G), (left + width, CY), (left, CY + G))


def left_triangle(right, width):
    return triangle((right, CY - G), (right, CY + G), (right - width, CY))


GLYPHS = {
    # A bar, then a triangle pointing back.
    "previous": union(rect(CX - 8.5, CY - G, CX - 5.5, CY + G, 0.8), left_triangle(CX + 8.0, 12.0)),
    # The triangle's centre of mass sits a little right of its box's centre.
    "play": right_triangle(CX - 5.0, 13.0),
    "pause": union(rect(CX - 6.5, CY - G, CX - 2.0, CY + G, 0.8), rect(CX + 2.0, CY - G, CX + 6.5, CY + G, 0.8)),
    "stop": rect(CX - 6.5, CY - 6.5, CX + 6.5, CY + 6.5, 1.2),
    # A triangle, then a bar.
    "forward": union(right_triangle(CX - 8.0, 12.0), rect(CX + 5.5, CY - G, CX + 8.5, CY + G, 0.8)),
}


# ---- rendering ---------------------------------------------------------------


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def coverage(shape, px, py):
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            if shape(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES):
                hits += 1
    return hits / (SAMPLES * SAMPLES)


def render(name):
    """Returns rows of (r, g, b) tuples, or None for a transparent pixel."""
    colours = ACCENT if name == "play" else SLATE
    body = rounded_rect(0.5, 0.5, WIDTH - 0.5, HEIGHT - 0.5, RADIUS)
    inner = rounded_rect(1.5, 1.5, WIDTH - 1.5, HEIGHT - 1.5, RADIUS - 1.0)
    glyph = GLYPHS[name]
    rows = []
    for py in range(HEIGHT):
        t = py / (HEIGHT - 1)
        fill = mix(colours[0], colours[1], t)
        # A faint lighter line under the top rim gives the key some depth.
        if py == 2:
            fill = mix(fill, (255, 255, 255), 0.18)
        row = []
        for px in range(WIDTH):
            outer = coverage(body, px, py)
            if outer < 0.3:
                row.append(None)
                continue
            # Rim, then the face, then the glyph on top.
            colour = mix(RIM, fill, coverage(inner, px, py))
            colour = mix(colour, GLYPH, coverage(glyph, px, py))
            colour = mix(MATTE, colour, outer)
            row.append(tuple(int(round(c)) for c in colour))
        rows.append(row)
    return rows


# ---- GIF writing ---------------------------------------------------------------


def build_palette(rows):
    """Maps the image onto at most 255 colours plus one transparent index."""
    shift = 0
    while True:
        def reduce(c):
            if shift == 0:
                return c
            half = 1 << (shift - 1)
            return tuple(min(255, ((v + half) >> shift) << shift) for v in c)

        colours = sorted({reduce(c) for row in rows for c in row if c is not None})
        if len(colours) <= 255:
            break
        shift += 1
    index = {c: i + 1 for i, c in enumerate(colours)}
    pixels = bytes(0 if c is None else index[reduce(c)] for row in rows for c in row)
    palette = [(0, 0, 0)] + colours  # index 0 is the transparent one
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette, pixels


def lzw_compress(pixels, min_code_size=8):
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buffer = 0
    bit_count = 0

    def emit(code, size):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += size
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def fresh_table():
        return {bytes([i]): i for i in range(clear)}

    table = fresh_table()
    next_code = end + 1
    code_size = min_code_size + 1
    emit(clear, code_size)
    current = b""
    for value in pixels:
        candidate = current + bytes([value])
        if candidate in table:
            current = candidate
            continue
        emit(table[current], code_size)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            # The decoder widens its codes one step later than we add them.
            if next_code - 1 == (1 << code_size) and code_size < 12:
                code_size += 1
        else:
            emit(clear, code_size)
            table = fresh_table()
            next_code = end + 1
            code_size = min_code_size + 1
        current = bytes([value])
    if current:
        emit(table[current], code_size)
    emit(end, code_size)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def gif_bytes(rows):
    palette, pixels = build_palette(rows)
    data = bytearray(b"GIF89a")
    # Logical screen: size, global colour table of 256 entries.
    data += struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF7, 0, 0)
    for colour in palette:
        data += bytes(colour)
    # Graphic control extension: index 0 is transparent.
    data += bytes([0x21, 0xF9, 4, 0x01, 0, 0, 0, 0])
    data += b"," + struct.pack("<HHHHB", 0, 0, WIDTH, HEIGHT, 0)
    data.append(8)
    compressed = lzw_compress(pixels)
    for start in range(0, len(compressed), 255):
        block = compressed[start : start + 255]
        data.append(len(block))
        data += block
    data += b"\x00;"
    return bytes(data)


# ---- the home screen icons ------------------------------------------------------

ICON_SIZES = (192, 512)
ICON_SAMPLES = 2  # per axis and pixel: at these sizes the edges need few


def render_icon(size):
    """Returns rows of (r, g, b) tuples: opaque, since iOS paints a
    transparent icon's background black."""
    scale = size / 100.0
    # The play sign of the button, centred by its mass, 40 units of 100 high.
    sign = triangle((38 * scale, 30 * scale), (70 * scale, 50 * scale), (38 * scale, 70 * scale))
    rows = []
    step = 1.0 / ICON_SAMPLES
    for py in range(size):
        fill = mix(SLATE[0], SLATE[1], py / (size - 1))
        row = []
        for px in range(size):
            hits = 0
            for sy in range(ICON_SAMPLES):
                for sx in range(ICON_SAMPLES):
                    if sign(px + (sx + 0.5) * step, py + (sy + 0.5) * step):
                        hits += 1
            colour = mix(fill, GLYPH, hits / (ICON_SAMPLES * ICON_SAMPLES))
            row.append(tuple(int(round(c)) for c in colour))
        rows.append(row)
    return rows


# ---- PNG files -------------------------------------------------------------------


def png_bytes(width, height, rgb_rows):
    raw = b"".join(b"\x00" + bytes(v for c in row for v in c) for row in rgb_rows)

    def chunk(kind, payload):
        body = kind + payload
        return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def preview(images, path, scale=4, gap=8):
    backgrounds = [MATTE, (0xFF, 0xFF, 0xFF), (0x20, 0x20, 0x20)]
    width = gap + len(images) * (WIDTH * scale + gap)
    band = HEIGHT * scale + 2 * gap
    height = band * len(backgrounds)
    sheet = []
    for bg in backgrounds:
        for y in range(band):
            row = [bg] * width
            iy = (y - gap) // scale
            if 0 <= y - gap < HEIGHT * scale:
                for n, (_, rows) in enumerate(images):
                    left = gap + n * (WIDTH * scale + gap)
                    for x in range(WIDTH * scale):
                        c = rows[iy][x // scale]
                        if c is not None:
                            row[left + x] = c
            sheet.append(row)
    with open(path, "wb") as f:
        f.write(png_bytes(width, height, sheet))


def main(argv):
    out_dir = "assets/images"
    preview_path = None
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--preview" and args:
            preview_path = args.pop(0)
        elif arg.startswith("-"):
            print(__doc__, file=sys.stderr)
            return 2
        else:
            out_dir = arg
    os.makedirs(out_dir, exist_ok=True)
    images = []
    for name in ("previous", "play", "pause", "stop", "forward"):
        rows = render(name)
        images.append((name, rows))
        path = os.path.join(out_dir, name + ".gif")
        with open(path, "wb") as f:
            f.write(gif_bytes(rows))
        print("wrote", path)
    for size in ICON_SIZES:
        path = os.path.join(out_dir, "icon-%d.png" % size)
        with open(path, "wb") as f:
            f.write(png_bytes(size, size, render_icon(size)))
        print("wrote", path)
    if preview_path:
        preview(images, preview_path)
        print("wrote", preview_path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
