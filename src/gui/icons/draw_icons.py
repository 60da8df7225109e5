#!/usr/bin/env python3
"""Draws the five 16x16 toolbar icons (run, stop, config, help, exit) as PNG.

Shapes are sampled 8x8 per pixel for smooth edges; only the standard library
is needed. Run it from this folder to redraw the files.
"""
import math
import struct
import zlib

SIZE = 16
SAMPLES = 8


def png(path, pixels):
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def render(layers):
    """layers: list of (rgb, inside(x, y)) painted in order."""
    pixels = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            r = g = b = a = 0.0
            for rgb, inside in layers:
                hits = sum(inside(px + (i + 0.5) / SAMPLES, py + (j + 0.5) / SAMPLES)
                           for i in range(SAMPLES) for j in range(SAMPLES))
                cov = hits / (SAMPLES * SAMPLES)
                if cov == 0:
                    continue
                # "over" compositing in premultiplied form
                r = rgb[0] * cov + r * (1 - cov)
                g = rgb[1] * cov + g * (1 - cov)
                b = rgb[2] * cov + b * (1 - cov)
                a = cov + a * (1 - cov)
            if a > 0:
                row.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def triangle(p0, p1, p2):
    def side(a, b, x, y):
        return (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0])

    def inside(x, y):
        s = [side(p0, p1, x, y), side(p1, p2, x, y), side(p2, p0, x, y)]
        return all(v >= 0 for v in s) or all(v <= 0 for v in s)
    return inside


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def grow(shape_points, by):
    """A triangle grown outward by `by` pixels around its centroid."""
    cx = sum(p[0] for p in shape_points) / 3
    cy = sum(p[1] for p in shape_points) / 3
    out = []
    for x, y in shape_points:
        d = math.hypot(x - cx, y - cy)
        out.append((x + (x - cx) / d * by, y + (y - cy) / d * by))
    return out


def gear(x, y):
    dx, dy = x - 8, y - 8
    r = math.hypot(dx, dy)
    angle = math.atan2(dy, dx)
    tooth = math.cos(8 * angle) > 0.3
    return (r <= 5.0 or (tooth and r <= 7.2)) and r >= 2.2


def question_mark(x, y):
    dx, dy = x - 8, y - 6.2
    r = math.hypot(dx, dy)
    angle = math.degrees(math.atan2(dy, dx))
    arc = 1.6 <= r <= 3.2 and not (60 < angle < 150)
    stem = 7.1 <= x <= 8.9 and 8.0 <= y <= 10.2 and not (dy < 0)
    dot = (x - 8) ** 2 + (y - 12.4) ** 2 <= 1.1 ** 2
    return arc or stem or dot


def arrow(x, y):
    shaft = 6.5 <= x <= 11.5 and 7.0 <= y <= 9.0
    head = triangle((11, 4.5), (11, 11.5), (15, 8))(x, y)
    return shaft or head


ICONS = {
    "run.png": [
        ((24, 100, 40), triangle(*grow([(4, 2.5), (4, 13.5), (13.5, 8)], 1.0))),
        ((70, 190, 90), triangle((4, 2.5), (4, 13.5), (13.5, 8))),
    ],
    "stop.png": [
        ((130, 20, 20), rounded_rect(2, 2, 14, 14, 2.5)),
        ((215, 55, 50), rounded_rect(3, 3, 13, 13, 1.8)),
    ],
    "config.png": [
        ((70, 80, 95), gear),
        ((150, 160, 175), lambda x, y: gear(x, y) and math.hypot(x - 8, y - 8) <= 4.0),
    ],
    "help.png": [
        ((25, 80, 160), circle(8, 8, 7.5)),
        ((55, 125, 210), circle(8, 8, 6.6)),
        ((255, 255, 255), question_mark),
    ],
    "exit.png": [
        ((110, 70, 35), rounded_rect(1.5, 1.5, 10, 14.5, 0.8)),
        ((190, 135, 80), rounded_rect(2.7, 2.7, 8.8, 14.5, 0.4)),
        ((255, 215, 60), circle(7.3, 8.6, 0.8)),
        ((30, 120, 45), lambda x, y: arrow(x, y) or arrow(x - 0.6, y)),
        ((80, 200, 95), arrow),
    ],
}

if __name__ == "__main__":
    for name, layers in ICONS.items():
        png(name, render(layers))
