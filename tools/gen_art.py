#!/usr/bin/env python3
"""Draws the program's icons and its about banner (standard library only).

Usage: gen_art.py OUTDIR

Writes into OUTDIR:
  level00.ico .. level14.ico  tray fill levels 0 (empty) to 14 (full): one 16x16
                              image each, 256 colours, fully opaque
  spare.ico                   the application icon with a red no-entry badge,
                              32x32 and 16x16
  zor.ico                     the application icon: a gauge beside its scale,
                              32x32 and 16x16
  banner.bmp                  the about banner: 292x60, 24 bits, uncompressed,
                              bottom-up, on a near-white background

The resource script names them by bare file name (src/res/art.rc), with OUTDIR
on the resource compiler's include path.
"""

import os
import struct
import sys

BLACK = (0x00, 0x00, 0x00)
WHITE = (0xFF, 0xFF, 0xFF)
DARK = (0x55, 0x55, 0x55)
LIGHT = (0xDD, 0xDD, 0xDD)
BACKGROUND = (0xFE, 0xFF, 0xFC)
RED = (0xE0, 0x10, 0x10)

# Fill colour of each interior row of a level icon, counted from the bottom.
RAMP = [
    (0x00, 0xFF, 0x00), (0x00, 0xFF, 0x00), (0x66, 0xFF, 0x00), (0x99, 0xFF, 0x00),
    (0xCC, 0xFF, 0x00), (0xCC, 0xFF, 0x33), (0xCC, 0xFF, 0x33), (0xFF, 0xFF, 0x33),
    (0xFF, 0xFF, 0x33), (0xFF, 0xCC, 0x00), (0xFF, 0x99, 0x00), (0xFF, 0x66, 0x00),
    (0xFF, 0x33, 0x00), (0xFF, 0x00, 0x00),
]
LEVELS = 15


class Canvas:
    """Pixels top-down as (r, g, b), or None where an icon is transparent."""

    def __init__(self, width, height, fill=None):
        self.width = width
        self.height = height
        self.rows = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def rect(self, left, top, right, bottom, colour):
        """Fills [left, right) x [top, bottom)."""
        for y in range(top, bottom):
            for x in range(left, right):
                self.put(x, y, colour)

    def disc(self, cx, cy, radius, colour):
        """Fills the pixels whose centres lie within radius of (cx, cy)."""
        for y in range(self.height):
            for x in range(self.width):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                if dx * dx + dy * dy <= radius * radius:
                    self.rows[y][x] = colour

    def copy(self):
        c = Canvas(self.width, self.height)
        c.rows = [list(r) for r in self.rows]
        return c


def sunken_box(c, left, top, right, bottom):
    """A box with a dark top row and left column and a light bottom row and
    right column; the corners they share with the dark edges stay dark."""
    c.rect(left, bottom - 1, right, bottom, LIGHT)
    c.rect(right - 1, top, right, bottom, LIGHT)
    c.rect(left, top, right, top + 1, DARK)
    c.rect(left, top, left + 1, bottom, DARK)
    c.rect(left + 1, top + 1, right - 1, bottom - 1, BLACK)


def ramp_fill(c, left, right, bottom, rows, total):
    """Fills `rows` rows upward from `bottom`, colouring each by where it sits
    in an interior of `total` rows, so any height shows the same ramp."""
    for r in range(1, rows + 1):
        colour = RAMP[(r * len(RAMP) + total - 1) // total - 1]
        c.rect(left, bottom - r, right, bottom - r + 1, colour)


def level_icon(level):
    c = Canvas(16, 16)
    sunken_box(c, 0, 0, 16, 16)
    ramp_fill(c, 1, 15, 15, level, 14)
    return c


def app_icon(size):
    """A gauge filled to about two thirds beside a graduated scale, on a light
    tile so that it reads on dark and light task bars alike."""
    c = Canvas(size, size)
    last = size - 1
    c.rect(1, 0, last, size, BACKGROUND)
    c.rect(0, 1, size, last, BACKGROUND)
    # Tile outline with clipped corners.
    c.rect(1, 0, last, 1, DARK)
    c.rect(1, last, last, size, DARK)
    c.rect(0, 1, 1, last, DARK)
    c.rect(last, 1, size, last, DARK)
    if size >= 32:
        box = (6, 3, 20, 29)
        ticks, long_tick, short_tick, tick_left = 5, 7, 4, 22
    else:
        box = (3, 2, 10, 14)
        ticks, long_tick, short_tick, tick_left = 3, 3, 2, 11
    left, top, right, bottom = box
    sunken_box(c, left, top, right, bottom)
    interior = bottom - top - 2
    ramp_fill(c, left + 1, right - 1, bottom - 1, interior * 2 // 3, interior)
    # Long ticks at the ends and the middle of the scale, short ones between.
    for i in range(ticks):
        y = top + 1 + (interior - 1) * i // (ticks - 1)
        length = long_tick if i % 2 == 0 else short_tick
        c.rect(tick_left, y, tick_left + length, y + 1, DARK)
    c.rect(tick_left - 1, top + 1, tick_left, bottom - 1, DARK)
    return c


def spare_icon(size):
    """The application icon with a no-entry badge over its lower right."""
    c = app_icon(size).copy()
    if size >= 32:
        cx = cy = 23.5
        radius, bar_half, bar_rows = 7.6, 5, (22, 25)
    else:
        cx = cy = 11.5
        radius, bar_half, bar_rows = 4.6, 3, (10, 13)
    c.disc(cx, cy, radius + 1, WHITE)
    c.disc(cx, cy, radius, RED)
    c.rect(int(cx) - bar_half + 1, bar_rows[0], int(cx) + bar_half, bar_rows[1], WHITE)
    return c


def palette_of(canvases, base=(BLACK,)):
    """One palette for the given images, black first: a transparent pixel is
    index 0 under a set mask bit."""
    palette = list(base)
    for c in canvases:
        for row in c.rows:
            for p in row:
                if p is not None and p not in palette:
                    palette.append(p)
    if len(palette) > 256:
        raise ValueError("more than 256 colours in one icon")
    return palette


def dib_8bpp(c, palette):
    """An icon image: header with doubled height, 256-entry palette, colour
    rows then mask rows, both bottom-up and padded to 32 bits."""
    index = {p: i for i, p in enumerate(palette)}
    header = struct.pack("<IiiHHIIiiII", 40, c.width, c.height * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    table += b"\0" * (4 * (256 - len(palette)))
    xor_stride = (c.width + 3) & ~3
    and_stride = ((c.width + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(c.rows):
        line = bytes(0 if p is None else index[p] for p in row)
        xor += line + b"\0" * (xor_stride - len(line))
        bits = bytearray(and_stride)
        for x, p in enumerate(row):
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + table + bytes(xor) + bytes(mask)


def ico(canvases, base=(BLACK,)):
    palette = palette_of(canvases, base)
    images = [dib_8bpp(c, palette) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        # Width and height of 256 would be written as 0; colour count 0 means 256.
        out += struct.pack("<BBBBHHII", c.width & 0xFF, c.height & 0xFF, 0, 0, 1, 8,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# A 5x7 pixel font holding the letters the banner uses.
FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    " ": ["....."] * 7,
}


def text_width(text, sx, gap):
    return len(text) * (5 * sx + gap) - gap


def draw_text(c, text, left, top, sx, sy, gap, colour):
    for i, ch in enumerate(text):
        x0 = left + i * (5 * sx + gap)
        for gy, line in enumerate(FONT[ch]):
            for gx, cell in enumerate(line):
                if cell == "#":
                    c.rect(x0 + gx * sx, top + gy * sy, x0 + (gx + 1) * sx,
                           top + (gy + 1) * sy, colour)


def banner():
    c = Canvas(292, 60, BACKGROUND)
    # The logo: the program's gauge, filled to two thirds, with its scale.
    left, top, right, bottom = 14, 6, 34, 54
    sunken_box(c, left, top, right, bottom)
    interior = bottom - top - 2
    ramp_fill(c, left + 1, right - 1, bottom - 1, interior * 2 // 3, interior)
    for i in range(9):
        y = top + 1 + (interior - 1) * i // 8
        c.rect(38, y, 38 + (9 if i % 2 == 0 else 5), y + 1, DARK)
    c.rect(37, top + 1, 38, bottom - 1, DARK)

    ink = (0x2B, 0x33, 0x40)
    shade = (0xC8, 0xCC, 0xC8)
    x = 62
    draw_text(c, "ZORVANE", x + 1, 7, 4, 4, 4, shade)
    draw_text(c, "ZORVANE", x, 6, 4, 4, 4, ink)
    # The ramp colours as a rule under the product name.
    width = text_width("ZORVANE", 4, 4)
    for i in range(width):
        c.rect(x + i, 37, x + i + 1, 40, RAMP[i * len(RAMP) // width])
    draw_text(c, "QUANDRIL SOFTWARE", x, 44, 2, 2, 2, (0x60, 0x66, 0x70))
    return c


def bmp_24(c):
    stride = (c.width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(c.rows):
        line = b"".join(struct.pack("<BBB", b, g, r) for r, g, b in row)
        pixels += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, c.width, c.height, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


def write(path, data):
    # Written whole under a temporary name, so a failed run leaves no half file
    # that the build would take for current.
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: gen_art.py OUTDIR\n")
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    level_palette = (BLACK, DARK, LIGHT) + tuple(dict.fromkeys(RAMP))
    for level in range(LEVELS):
        write(os.path.join(out, "level%02d.ico" % level), ico([level_icon(level)], level_palette))
    write(os.path.join(out, "zor.ico"), ico([app_icon(32), app_icon(16)]))
    write(os.path.join(out, "spare.ico"), ico([spare_icon(32), spare_icon(16)]))
    write(os.path.join(out, "banner.bmp"), bmp_24(banner()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
