#!/usr/bin/env python3
"""Draws the maker's logo of the manual window: a coin hopper paying out coins, with the words
HOPPER KIT under it. 99 x 65 pixels, 16 colours, colour 0 transparent.

Standard library only, so the picture can be redrawn on any machine:
    python3 tools/draw_logo.py assets/images/logo.png
"""
import struct
import sys
import zlib

WIDTH, HEIGHT = 99, 65

PALETTE = [
    (255, 0, 255),    # 0 transparent
    (0, 0, 0),        # 1 black
    (64, 64, 64),     # 2 dark grey
    (128, 128, 128),  # 3 grey
    (192, 192, 192),  # 4 light grey
    (255, 255, 255),  # 5 white
    (0, 0, 128),      # 6 dark blue
    (0, 64, 224),     # 7 blue
    (96, 160, 255),   # 8 light blue
    (160, 112, 0),    # 9 dark gold
    (240, 184, 0),    # 10 gold
    (255, 232, 120),  # 11 light gold
    (224, 0, 0),      # 12 red
    (128, 0, 0),      # 13 dark red
    (0, 160, 0),      # 14 green
    (0, 80, 0),       # 15 dark green
]

FONT = {  # 3 x 5 letters, one string per row
    "H": ["X.X", "X.X", "XXX", "X.X", "X.X"],
    "O": ["XXX", "X.X", "X.X", "X.X", "XXX"],
    "P": ["XXX", "X.X", "XXX", "X..", "X.."],
    "E": ["XXX", "X..", "XX.", "X..", "XXX"],
    "R": ["XX.", "X.X", "XX.", "X.X", "X.X"],
    "K": ["X.X", "X.X", "XX.", "X.X", "X.X"],
    "I": ["XXX", ".X.", ".X.", ".X.", "XXX"],
    "T": ["XXX", ".X.", ".X.", ".X.", ".X."],
    " ": ["...", "...", "...", "...", "..."],
}


class Canvas:
    def __init__(self):
        self.pixels = [[0] * WIDTH for _ in range(HEIGHT)]

    def set(self, x, y, colour):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def ellipse(self, cx, cy, rx, ry, fill, edge):
        def inside(x, y):
            return ((x - cx) / (rx + 0.4)) ** 2 + ((y - cy) / (ry + 0.4)) ** 2 <= 1.0

        for y in range(cy - ry, cy + ry + 1):
            for x in range(cx - rx, cx + rx + 1):
                if inside(x, y):
                    border = not all(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                    self.set(x, y, edge if border else fill)

    def coin(self, cx, cy, rx=5, ry=3):
        self.ellipse(cx, cy, rx, ry, 10, 9)
        self.set(cx - 1, cy - 1, 11)
        self.set(cx, cy - 1, 11)

    def text(self, x, y, words, colour, scale=1):
        for ch in words:
            for row, line in enumerate(FONT[ch]):
                for col, bit in enumerate(line):
                    if bit == "X":
                        self.rect(x + col * scale, y + row * scale,
                                  x + col * scale + scale - 1, y + row * scale + scale - 1, colour)
            x += 4 * scale


def draw():
    c = Canvas()
    # The bowl: a trapezoid, wide at the top, with a light edge on the left.
    for y in range(12, 41):
        inset = (y - 12) * 10 // 28
        left, right = 8 + inset, 56 - inset
        c.rect(left, y, right, y, 7)
        c.set(left, y, 6)
        c.set(right, y, 6)
        c.set(left + 2, y, 8)
        c.set(left + 3, y, 8)
    c.rect(8, 12, 56, 13, 6)
    # Coins waiting in the bowl.
    for cx, cy in [(18, 11), (28, 9), (38, 11), (48, 10), (23, 6), (33, 5), (43, 6)]:
        c.coin(cx, cy)
    # The base with its motor housing and a green power lamp.
    c.rect(12, 41, 52, 51, 2)
    c.rect(12, 41, 52, 41, 3)
    c.rect(16, 44, 30, 48, 1)
    c.rect(46, 44, 48, 46, 14)
    c.set(46, 44, 15)
    # The payout chute and the coins leaving it.
    c.rect(52, 36, 66, 40, 4)
    c.rect(52, 41, 66, 41, 3)
    for cx, cy in [(72, 36), (81, 29), (90, 36)]:
        c.coin(cx, cy)
    # The name, in two sizes of the same little font.
    c.text(4, 55, "HOPPER", 6, scale=2)
    c.text(56, 56, "KIT", 12, scale=2)
    c.rect(0, 53, 98, 53, 3)
    return c.pixels


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in pixels:
        raw.append(0)  # no filter
        padded = row + [0] * (len(row) % 2)
        for i in range(0, len(padded), 2):
            raw.append(padded[i] << 4 | padded[i + 1])
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 4, 3, 0, 0, 0)  # 4-bit indexed colour
    palette = b"".join(bytes(rgb) for rgb in PALETTE)
    transparency = bytes([0])  # colour 0 fully transparent, the others opaque
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", palette)
            + chunk(b"tRNS", transparency) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "logo.png"
    with open(out, "wb") as f:
        f.write(png(draw()))
