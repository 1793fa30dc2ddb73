#!/usr/bin/env python3
"""Draws the sample skins and the message balloons of quorix, and writes the skin file.

Everything is drawn here from simple shapes, with hard edges: the colour of a picture's
top-left pixel becomes transparent on the screen, and a soft edge would leave a fringe of
that colour around the figure.

Writes into data/ (beside this script's parent folder) unless told otherwise:
  QRX_CORE.SKN    the skin file of the default configuration: skins NEKO and KUMO
  NEKO.BMP        a cat's face (176 x 144)
  KUMO.BMP        a cloud (240 x 112)
  BALLOON_R.BMP   the balloon on the right of a skin, its tail pointing left (222 x 84)
  BALLOON_L.BMP   the balloon on the left, its tail pointing right (222 x 84)

usage: make_skins.py [--out DIR] [--check]
  --check  writes nothing; exits 1 when a file in the folder differs from what it would write
"""
import argparse
import math
import os
import struct
import sys

KEY = (255, 0, 255)  # the transparent colour: top-left pixel of every picture


def bmp(width, height, colour_at):
    """A 24-bit bottom-up BMP of the picture whose pixel (x, y) is colour_at(x, y)."""
    row_size = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = colour_at(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


class Canvas:
    """Shapes as sets of pixels, filled and outlined in layers."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [[KEY] * width for _ in range(height)]

    def mask(self, inside):
        return [[inside(x + 0.5, y + 0.5) for x in range(self.width)] for y in range(self.height)]

    def fill(self, mask, colour, outline=None, thickness=0):
        """Paints the mask; with an outline, the mask's pixels within `thickness` of its edge
        get the outline colour."""
        w, h = self.width, self.height
        for y in range(h):
            for x in range(w):
                if not mask[y][x]:
                    continue
                edge = False
                if outline is not None:
                    for dy in range(-thickness, thickness + 1):
                        for dx in range(-thickness, thickness + 1):
                            if dx * dx + dy * dy > thickness * thickness:
                                continue
                            nx, ny = x + dx, y + dy
                            if not (0 <= nx < w and 0 <= ny < h) or not mask[ny][nx]:
                                edge = True
                                break
                        if edge:
                            break
                self.pixels[y][x] = outline if edge else colour

    def bmp(self):
        return bmp(self.width, self.height, lambda x, y: self.pixels[y][x])


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def triangle(a, b, c):
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    def inside(x, y):
        d1, d2, d3 = side(a, b, x, y), side(b, c, x, y), side(c, a, x, y)
        return (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0)
    return inside


def rounded_rect(left, top, right, bottom, radius):
    def inside(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return False
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def neko():
    c = Canvas(176, 144)
    fur, line = (250, 200, 120), (90, 50, 20)
    ears = union(triangle((18, 70), (34, 6), (78, 40)), triangle((158, 70), (142, 6), (98, 40)))
    c.fill(c.mask(ears), fur, line, 3)
    inner = union(triangle((32, 52), (38, 20), (62, 40)), triangle((144, 52), (138, 20), (114, 40)))
    c.fill(c.mask(inner), (240, 150, 150))
    c.fill(c.mask(ellipse(88, 86, 78, 56)), fur, line, 3)
    for ex in (58, 118):
        c.fill(c.mask(ellipse(ex, 66, 9, 12)), (40, 30, 20))
        c.fill(c.mask(ellipse(ex + 3, 61, 3, 3)), (255, 255, 255))
    c.fill(c.mask(triangle((80, 80), (96, 80), (88, 90))), (230, 100, 120))
    for side in (-1, 1):
        for dy in (-4, 4):
            def whisker(x, y, side=side, dy=dy):
                x0 = 88 + side * 22
                t = (x - x0) * side
                return 0 <= t <= 36 and abs(y - (88 + dy + t * dy / 24)) <= 0.8
            c.fill(c.mask(whisker), line)
    return c.bmp()


def kumo():
    c = Canvas(240, 112)
    cloud = union(ellipse(58, 66, 40, 38), ellipse(108, 46, 46, 42), ellipse(164, 54, 42, 40),
                  ellipse(200, 74, 34, 30), ellipse(38, 82, 30, 26),
                  rounded_rect(30, 60, 222, 106, 18))
    c.fill(c.mask(cloud), (246, 248, 255), (70, 90, 140), 3)
    c.fill(c.mask(ellipse(86, 36, 18, 9)), (255, 255, 255))
    return c.bmp()


def balloon(tail_left):
    c = Canvas(222, 84)

    def mirror(shape):
        return shape if tail_left else (lambda x, y: shape(222 - x, y))
    body = rounded_rect(20, 2, 220, 82, 14)
    tail = triangle((0, 50), (26, 34), (26, 60))
    c.fill(c.mask(mirror(union(body, tail))), (255, 255, 255), (60, 60, 70), 2)
    return c.bmp()


SKN = """; Skins of quorix, drawn by scripts/make_skins.py. Choose one with SET SKIN NEKO (used from
; the next start) or switch with SKIN KUMO while quorix runs with a skin.
; FileName: the picture, beside this file. IY, IW: top and width of the command box.
; FRX, FRY: the balloon on the right (its left edge from the picture's left; its top from the
; window's top, plus 34). FLX, FLY: the balloon on the left (its right edge; its top).
[NEKO]
FileName=NEKO.BMP
IY=100
IW=112
FRX=164
FRY=20
FLX=12
FLY=20

[KUMO]
FileName=KUMO.BMP
IY=60
IW=150
FRX=228
FRY=14
FLX=12
FLY=14
"""


def outputs():
    return {
        "QRX_CORE.SKN": SKN.replace("\n", "\r\n").encode("cp932"),
        "NEKO.BMP": neko(),
        "KUMO.BMP": kumo(),
        "BALLOON_R.BMP": balloon(True),
        "BALLOON_L.BMP": balloon(False),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", default=os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                      "..", "data"))
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    differ = []
    for name, data in outputs().items():
        path = os.path.join(args.out, name)
        if args.check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                differ.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if differ:
        print("differs from what make_skins.py draws: " + " ".join(differ))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
