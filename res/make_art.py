#!/usr/bin/env python3
"""Draws the program's own icons and bitmaps into a res folder.

The program loads its pictures at run time from files under .\\res\\; these
are our own art, drawn here from simple shapes so the build can make them:
    make_art.py OUTPUT_DIR
"""
import math
import struct
import sys
from pathlib import Path

SAMPLES = 4  # per axis, for smooth edges


def render(size, shapes):
    """shapes: list of (coverage(x, y) -> bool, (r, g, b, a)), painted in order."""
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for colour_cover, colour in shapes:
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        x = px + (sx + 0.5) / SAMPLES
                        y = py + (sy + 0.5) / SAMPLES
                        hits += 1 if colour_cover(x, y) else 0
                cover = hits / (SAMPLES * SAMPLES) * colour[3] / 255.0
                if cover == 0:
                    continue
                # "over" compositing on premultiplied values
                r = colour[0] * cover + r * (1 - cover)
                g = colour[1] * cover + g * (1 - cover)
                b = colour[2] * cover + b * (1 - cover)
                a = cover + a * (1 - cover)
            if a > 0:
                row.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def stroke(points, width):
    """A polyline of the given width with round joints."""
    half = width / 2.0

    def inside(x, y):
        for (x1, y1), (x2, y2) in zip(points, points[1:]):
            dx, dy = x2 - x1, y2 - y1
            t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)))
            if (x - x1 - t * dx) ** 2 + (y - y1 - t * dy) ** 2 <= half * half:
                return True
        return False

    return inside


def triangle(p1, p2, p3):
    def side(a, b, x, y):
        return (x - b[0]) * (a[1] - b[1]) - (a[0] - b[0]) * (y - b[1])

    def inside(x, y):
        d1, d2, d3 = side(p1, p2, x, y), side(p2, p3, x, y), side(p3, p1, x, y)
        return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))

    return inside


def rounded_square(left, top, right, bottom, radius):
    def inside(x, y):
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2

    return inside


def ellipse_ring(cx, cy, rx, ry, width):
    def inside(x, y):
        outer = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1
        inner = ((x - cx) / (rx - width)) ** 2 + ((y - cy) / (ry - width)) ** 2 <= 1
        return outer and not inner

    return inside


WHITE = (255, 255, 255, 255)


def success_icon(size=32):
    s = size / 32.0
    return render(size, [
        (circle(16 * s, 16 * s, 15 * s), (46, 160, 67, 255)),
        (stroke([(9 * s, 16.5 * s), (14 * s, 21.5 * s), (23.5 * s, 10.5 * s)], 3.6 * s), WHITE),
    ])


def fail_icon(size=32):
    s = size / 32.0
    return render(size, [
        (circle(16 * s, 16 * s, 15 * s), (204, 40, 40, 255)),
        (stroke([(10 * s, 10 * s), (22 * s, 22 * s)], 3.6 * s), WHITE),
        (stroke([(22 * s, 10 * s), (10 * s, 22 * s)], 3.6 * s), WHITE),
    ])


def warning_icon(size=32):
    s = size / 32.0
    dark = (40, 30, 0, 255)
    return render(size, [
        (triangle((16 * s, 1.5 * s), (31 * s, 29.5 * s), (1 * s, 29.5 * s)), (245, 180, 20, 255)),
        (stroke([(16 * s, 10 * s), (16 * s, 19.5 * s)], 3.4 * s), dark),
        (circle(16 * s, 24.5 * s, 2 * s), dark),
    ])


def ok_icon(size=32):
    """A blue rounded bar with "OK" in white, low enough for a one-line button."""
    s = size / 32.0
    return render(size, [
        (rounded_square(1 * s, 7 * s, 31 * s, 25 * s, 4 * s), (40, 100, 200, 255)),
        (ellipse_ring(10.5 * s, 16 * s, 5 * s, 6 * s, 2.2 * s), WHITE),
        (stroke([(19 * s, 10.5 * s), (19 * s, 21.5 * s)], 2.4 * s), WHITE),
        (stroke([(26 * s, 10.5 * s), (19.5 * s, 16.5 * s), (26 * s, 21.5 * s)], 2.4 * s), WHITE),
    ])


def write_ico(path, pixels):
    size = len(pixels)
    xor = bytearray()
    for row in reversed(pixels):  # bottom-up
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), 6 + 16)
    Path(path).write_bytes(directory + entry + image)


def background(width=320, height=160):
    """A calm blue-grey gradient with faint diagonal bands."""
    rows = []
    for y in range(height):
        t = y / (height - 1)
        row = []
        for x in range(width):
            band = 6 if ((x + y) // 12) % 2 == 0 else 0
            r = round(232 - 40 * t) + band
            g = round(238 - 34 * t) + band
            b = round(246 - 20 * t) + band
            row.append((min(r, 255), min(g, 255), min(b, 255)))
        rows.append(row)
    return rows


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        data += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    Path(path).write_bytes(header + info + data)


ICONS = {
    "msg_success.ico": success_icon,
    "msg_fail.ico": fail_icon,
    "msg_warning.ico": warning_icon,
    "msg_ok.ico": ok_icon,
}

BITMAPS = {
    "subbk.bmp": background,
}


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, draw in ICONS.items():
        write_ico(out / name, draw())
    for name, draw in BITMAPS.items():
        write_bmp(out / name, draw())


if __name__ == "__main__":
    main()
