#!/usr/bin/env python3
"""Draws the simulation window's pictures with the standard library only.

Writes, relative to the repository root:
  assets/images/unit.png     62 x 102  the upright dark unit with its small display
  assets/images/hopper.png   78 x 82   the hopper: a blue coin bowl on a black base
  assets/images/cross.png    16 x 16   the red cross of the "&Close" button
  assets/images/smiley.png   32 x 32   the window icon, a yellow smiley on a transparent ground
  assets/program-folder/Ar1.bmp .. Ar3.bmp   78 x 33  an arrow moving towards the hopper

Run it from anywhere: python3 tools/draw_simulation_pictures.py
The output is the same on every run, so the committed files only change when this script does.
"""

import math
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SAMPLES = 4  # sub-samples per pixel side, for smooth edges

# --- shapes: each answers whether a point (in pixel units) lies inside -------------------


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def ring(cx, cy, r_outer, r_inner):
    return lambda x, y: r_inner ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r_outer ** 2


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                hit = not hit
        return hit
    return inside


def thick_line(xa, ya, xb, yb, width):
    length2 = (xb - xa) ** 2 + (yb - ya) ** 2

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - xa) * (xb - xa) + (y - ya) * (yb - ya)) / length2))
        px, py = xa + t * (xb - xa), ya + t * (yb - ya)
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def arc(cx, cy, r, width, start_deg, end_deg):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) > width / 2:
            return False
        angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return start_deg <= angle <= end_deg
    return inside


# --- rendering ----------------------------------------------------------------------------


def render(width, height, layers, background=(0, 0, 0, 0)):
    """layers: (shape, (r, g, b, a)) from bottom to top. Returns rows of RGBA tuples."""
    rows = []
    step = 1.0 / SAMPLES
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x, y = px + (sx + 0.5) * step, py + (sy + 0.5) * step
                    colour = background
                    for shape, fill in layers:
                        if shape(x, y):
                            colour = fill
                    a = colour[3] / 255.0
                    acc[0] += colour[0] * a
                    acc[1] += colour[1] * a
                    acc[2] += colour[2] * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                pixel = tuple(round(acc[i] / acc[3]) for i in range(3)) + (round(alpha * 255),)
            else:
                pixel = (0, 0, 0, 0)
            row.append(pixel)
        rows.append(row)
    return rows


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_bmp(path, rows, ground):
    """24-bit BMP, bottom-up; translucent pixels are laid onto `ground`."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, a in row:
            k = a / 255.0
            mix = [round(c * k + gc * (1 - k)) for c, gc in zip((r, g, b), ground)]
            line += bytes((mix[2], mix[1], mix[0]))
        pixels += line + b"\x00" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as out:
        out.write(header + info + pixels)


# --- the pictures -------------------------------------------------------------------------

DARK = (48, 52, 58, 255)
DARKER = (28, 30, 34, 255)
EDGE = (90, 96, 104, 255)
BLACK = (12, 12, 12, 255)
BLUE = (36, 92, 200, 255)
LIGHT_BLUE = (96, 150, 235, 255)
GOLD = (214, 170, 40, 255)
GOLD_EDGE = (150, 110, 20, 255)
RED = (214, 28, 28, 255)
YELLOW = (255, 214, 0, 255)
WINDOW_GROUND = (240, 240, 240)


def unit():
    return render(62, 102, [
        (rounded_rect(4, 1, 58, 101, 5), EDGE),
        (rounded_rect(6, 3, 56, 99, 4), DARK),
        (rect(12, 10, 50, 26), DARKER),            # display bezel
        (rect(14, 12, 48, 24), (70, 200, 120, 255)),  # display
        (rect(17, 16, 30, 19), (20, 90, 50, 255)),    # a few segments on it
        (rect(33, 16, 45, 19), (20, 90, 50, 255)),
        (rect(22, 36, 40, 39), DARKER),            # coin slot
        (ellipse(18, 52, 4, 4), (200, 60, 60, 255)),  # two buttons
        (ellipse(31, 52, 4, 4), (60, 160, 60, 255)),
        (ellipse(44, 52, 4, 4), (200, 200, 200, 255)),
        (rect(14, 70, 48, 90), DARKER),            # payout tray
        (rect(16, 72, 46, 88), (70, 74, 80, 255)),
    ])


def hopper():
    bowl = polygon([(6, 10), (72, 10), (60, 52), (18, 52)])
    return render(78, 82, [
        (rect(10, 52, 68, 80), BLACK),             # base
        (rect(14, 60, 64, 64), (60, 60, 60, 255)),  # a seam on the base
        (rect(32, 68, 46, 80), (40, 40, 40, 255)),  # coin exit
        (bowl, BLUE),
        (ellipse(39, 10, 33, 6), LIGHT_BLUE),      # rim of the bowl
        (ellipse(39, 11, 29, 4), (20, 60, 150, 255)),
        (ellipse(30, 11, 6, 2.5), GOLD_EDGE),      # coins in the bowl
        (ellipse(30, 10.5, 5, 2), GOLD),
        (ellipse(44, 12, 6, 2.5), GOLD_EDGE),
        (ellipse(44, 11.5, 5, 2), GOLD),
    ])


def cross():
    return render(16, 16, [
        (thick_line(3, 3, 13, 13, 3.2), RED),
        (thick_line(13, 3, 3, 13, 3.2), RED),
    ])


def smiley():
    return render(32, 32, [
        (ellipse(16, 16, 15, 15), (60, 45, 0, 255)),
        (ellipse(16, 16, 13.8, 13.8), YELLOW),
        (ellipse(11, 12, 2, 3), BLACK),
        (ellipse(21, 12, 2, 3), BLACK),
        (arc(16, 16, 8.5, 2.2, 25, 155), BLACK),
    ])


def arrow(x):
    """An arrow pointing right (to the hopper), its tail at `x`."""
    body = rect(x, 13, x + 22, 20)
    head = polygon([(x + 21, 6), (x + 34, 16.5), (x + 21, 27)])
    return render(78, 33, [(body, (200, 30, 30, 255)), (head, (200, 30, 30, 255))],
                  background=WINDOW_GROUND + (255,))


def main():
    images = os.path.join(ROOT, "assets", "images")
    folder = os.path.join(ROOT, "assets", "program-folder")
    os.makedirs(images, exist_ok=True)
    os.makedirs(folder, exist_ok=True)
    write_png(os.path.join(images, "unit.png"), unit())
    write_png(os.path.join(images, "hopper.png"), hopper())
    write_png(os.path.join(images, "cross.png"), cross())
    write_png(os.path.join(images, "smiley.png"), smiley())
    for n, x in enumerate((4, 22, 40), start=1):
        write_bmp(os.path.join(folder, "Ar%d.bmp" % n), arrow(x), WINDOW_GROUND)


if __name__ == "__main__":
    main()
