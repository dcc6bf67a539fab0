#!/usr/bin/env python3
"""Draws the stock pictures of the photo store and the photo grid as PNG files.

Usage: make_photo_skin.py [output folder]   (default: resources/ next to scripts/)

Only the standard library is used: each picture is a list of shapes given as
inside-tests, rendered with 4 x 4 supersampling and written as 8-bit RGBA PNG.
"""

import math
import os
import struct
import sys
import zlib

SAMPLES = 4


class Canvas:
    def __init__(self, width, height, background=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [list(background) for _ in range(width * height)]

    def shape(self, inside, color, box=None):
        """Blends `color` over every pixel by the share of its samples inside."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1)))
        step = 1.0 / SAMPLES
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                if hits:
                    self._blend(x, y, color, hits / (SAMPLES * SAMPLES))

    def _blend(self, x, y, color, coverage):
        dst = self.pixels[y * self.width + x]
        a = color[3] / 255.0 * coverage
        da = dst[3] / 255.0
        out_a = a + da * (1 - a)
        if out_a <= 0:
            return
        for c in range(3):
            dst[c] = int(round((color[c] * a + dst[c] * da * (1 - a)) / out_a))
        dst[3] = int(round(out_a * 255))

    def save(self, path):
        rows = b"".join(
            b"\x00" + bytes(v for p in self.pixels[y * self.width:(y + 1) * self.width] for v in p)
            for y in range(self.height))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                    chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


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


def ring(shape_outer, shape_inner):
    return lambda x, y: shape_outer(x, y) and not shape_inner(x, y)


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def segment(ax, ay, bx, by, width):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2.0) ** 2
    return inside


def arc(cx, cy, r, width, start, end):
    """Ring part from angle `start` to `end` (degrees, clockwise from 3 o'clock)."""
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) > width / 2.0:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return (a - start) % 360 <= (end - start) % 360
    return inside


FRAME = (190, 196, 204, 255)
PAPER = (244, 246, 248, 255)
INK = (120, 130, 142, 255)
ACCENT = (64, 140, 220, 255)


def tile():
    """The 113 x 96 card that every stock picture is drawn on."""
    c = Canvas(113, 96)
    c.shape(rounded_rect(1, 1, 112, 95, 8), FRAME)
    c.shape(rounded_rect(3, 3, 110, 93, 6), PAPER)
    return c


def default_picture():
    c = tile()
    c.shape(circle(78, 30, 9), (240, 190, 60, 255))
    c.shape(polygon([(14, 80), (42, 38), (62, 66), (74, 52), (99, 80)]), INK)
    return c


def default_voice():
    c = tile()
    c.shape(rounded_rect(47, 16, 66, 56, 9.5), ACCENT)
    c.shape(arc(56.5, 42, 17, 4, 0, 180), INK)
    c.shape(segment(56.5, 59, 56.5, 74, 4), INK)
    c.shape(segment(44, 76, 69, 76, 4), INK)
    return c


def default_movie():
    c = tile()
    c.shape(rect(18, 22, 95, 74), (60, 66, 76, 255))
    for i in range(6):
        x = 22 + i * 12.5
        c.shape(rect(x, 25, x + 6, 30), PAPER)
        c.shape(rect(x, 66, x + 6, 71), PAPER)
    c.shape(polygon([(49, 36), (49, 60), (69, 48)]), (250, 250, 250, 255))
    return c


def vcf_flag():
    c = tile()
    c.shape(rounded_rect(16, 20, 97, 76, 6), (255, 255, 255, 255))
    c.shape(ring(rounded_rect(16, 20, 97, 76, 6), rounded_rect(18, 22, 95, 74, 4)), INK)
    c.shape(circle(38, 40, 8), ACCENT)
    c.shape(polygon([(24, 66), (26, 56), (32, 51), (44, 51), (50, 56), (52, 66)]), ACCENT)
    for y in (38, 48, 58):
        c.shape(rect(58, y, 88, y + 4), INK)
    return c


def question():
    c = tile()
    c.shape(circle(56.5, 48, 30), (226, 232, 240, 255))
    c.shape(arc(56.5, 38, 11, 7, 180, 90), INK)
    c.shape(segment(56.5, 49, 56.5, 58, 7), INK)
    c.shape(circle(56.5, 68, 4.5), INK)
    return c


def triangle(points):
    c = Canvas(14, 14)
    c.shape(polygon(points), INK)
    return c


def line():
    c = Canvas(730, 2)
    c.shape(rect(0, 0, 730, 1), (210, 214, 220, 255))
    c.shape(rect(0, 1, 730, 2), (250, 250, 252, 255))
    return c


def box(mark=None):
    c = Canvas(13, 13)
    c.shape(rect(0, 0, 13, 13), (110, 118, 128, 255))
    c.shape(rect(1, 1, 12, 12), (255, 255, 255, 255))
    if mark == "check":
        c.shape(segment(3, 6.5, 5.5, 9.5, 2), ACCENT)
        c.shape(segment(5.5, 9.5, 10, 3.5, 2), ACCENT)
    elif mark == "part":
        c.shape(rect(3, 3, 10, 10), ACCENT)
    return c


PICTURES = {
    "default_picture.png": default_picture,
    "default_voice.png": default_voice,
    "default_movie.png": default_movie,
    "VcfFlag.png": vcf_flag,
    "question.png": question,
    "triangle_up.png": lambda: triangle([(2, 10.5), (12, 10.5), (7, 3.5)]),
    "triangle_down.png": lambda: triangle([(2, 3.5), (12, 3.5), (7, 10.5)]),
    "line.png": line,
    "check.png": lambda: box("check"),
    "bcheck.png": lambda: box("part"),
    "nocheck.png": box,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "resources")
    os.makedirs(out, exist_ok=True)
    for name, draw in PICTURES.items():
        draw().save(os.path.join(out, name))
        print(os.path.join(out, name))


if __name__ == "__main__":
    main()
