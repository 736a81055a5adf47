#!/usr/bin/env python3
"""Draws the program's own icons and bitmaps into a res folder.

The program loads its pictures at run time from files under .\\res\\; these
are our own art, drawn here from simple shapes so the build can make them:
    make_art.py OUTPUT_DIR
    make_art.py --app-icon ICON_FILE   (the application icon for the resource script)
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



def polygon(points):
    """Even-odd fill of a closed polygon."""
    def inside(x, y):
        hit = False
        for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                hit = not hit
        return hit

    return inside


def arc(cx, cy, radius, width, start_deg, end_deg):
    """A ring segment from start to end (degrees, counter-clockwise, y up)."""
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if d > radius or d < radius - width:
            return False
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return (angle - start_deg) % 360 <= (end_deg - start_deg) % 360

    return inside


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def rect(left, top, right, bottom):
    return lambda x, y: left <= x <= right and top <= y <= bottom


def outline_square(left, top, right, bottom, radius, width):
    outer = rounded_square(left, top, right, bottom, radius)
    inner = rounded_square(left + width, top + width, right - width, bottom - width, max(radius - width, 0.5))
    return lambda x, y: outer(x, y) and not inner(x, y)


GREY = (120, 126, 134, 255)
SILVER = (185, 190, 198, 255)
DARK = (45, 50, 58, 255)
GREEN = (46, 160, 67, 255)
RED = (204, 40, 40, 255)
BLUE = (40, 100, 200, 255)
ORANGE = (240, 150, 30, 255)


def icon(*shapes):
    return lambda: render(32, list(shapes))


PICTURES = {
    # navigation and main window
    "drive.ico": icon((rounded_square(3, 8, 29, 24, 3), GREY), (rect(6, 18, 20, 20), DARK),
                      (circle(25, 19, 1.8), (80, 220, 90, 255))),
    "optimization.ico": icon((rect(5, 18, 10, 27), BLUE), (rect(13, 11, 18, 27), GREEN), (rect(21, 5, 26, 27), ORANGE),
                             (rect(3, 27, 29, 29), DARK)),
    "health.ico": icon((circle(11, 12, 7), RED), (circle(21, 12, 7), RED),
                       (polygon([(4.5, 14), (27.5, 14), (16, 28)]), RED)),
    "utility.ico": icon((stroke([(7, 25), (18, 14)], 4.5), SILVER), (arc(22, 10, 8, 3.5, 300, 220), SILVER)),
    "system.ico": icon((rounded_square(3, 4, 29, 22, 2), DARK), (rect(5.5, 6.5, 26.5, 19.5), (90, 160, 230, 255)),
                       (rect(14, 22, 18, 26), DARK), (rect(9, 26, 23, 28), DARK)),
    "exportlog.ico": icon((polygon([(6, 3), (20, 3), (26, 9), (26, 29), (6, 29)]), (245, 245, 245, 255)),
                          (polygon([(20, 3), (26, 9), (20, 9)]), (190, 190, 190, 255)),
                          (rect(9, 13, 22, 14.5), GREY), (rect(9, 17, 22, 18.5), GREY),
                          (stroke([(16, 21), (30, 21)], 3), BLUE), (polygon([(27, 16), (32, 21), (27, 26)]), BLUE)),
    "select.ico": icon((polygon([(8, 5), (26, 16), (8, 27)]), ORANGE)),
    "reload.ico": icon((arc(16, 16, 12, 4, 60, 330), BLUE), (polygon([(22, 3), (30, 11), (20, 13)]), BLUE)),
    "switchmode.ico": icon((rounded_square(2, 9, 30, 23, 7), GREY), (circle(9, 16, 5.5), WHITE)),
    "switchmode2.ico": icon((rounded_square(2, 9, 30, 23, 7), GREEN), (circle(23, 16, 5.5), WHITE)),
    "Greed.ico": icon((circle(16, 16, 10), GREEN)),
    "Red.ico": icon((circle(16, 16, 10), RED)),
    # health page
    "life.ico": icon((outline_square(3, 9, 27, 23, 2, 2), DARK), (rect(27, 13, 30, 19), DARK),
                     (rect(6, 12, 19, 20), GREEN)),
    "temperature.ico": icon((stroke([(16, 5), (16, 20)], 6), (200, 200, 200, 255)), (circle(16, 24, 6), RED),
                            (stroke([(16, 11), (16, 22)], 3), RED)),
    "write.ico": icon((stroke([(8, 24), (24, 8)], 6), (240, 190, 40, 255)),
                      (polygon([(4, 28), (6, 21), (11, 26)]), DARK)),
    "flashid.ico": icon(*([(rect(8, 8, 24, 24), DARK)]
                          + [(rect(10 + 4 * i, 4, 11.5 + 4 * i, 8), SILVER) for i in range(4)]
                          + [(rect(10 + 4 * i, 24, 11.5 + 4 * i, 28), SILVER) for i in range(4)]
                          + [(circle(12, 12, 1.5), WHITE)])),
    # utilities page
    "fwdownload.ico": icon((stroke([(16, 3), (16, 17)], 4), BLUE), (polygon([(8, 14), (24, 14), (16, 23)]), BLUE),
                           (rect(4, 25, 28, 28), DARK)),
    "searchfile.ico": icon((arc(13, 13, 9, 3, 0, 359.9), DARK), (stroke([(19.5, 19.5), (28, 28)], 4), DARK)),
    "erase.ico": icon((polygon([(4, 20), (16, 8), (28, 20), (20, 28), (12, 28)]), (240, 130, 160, 255)),
                      (polygon([(4, 20), (10, 14), (22, 26), (20, 28), (12, 28)]), WHITE)),
    "dump.ico": icon((ellipse(16, 25, 10, 3.5), (110, 60, 160, 255)), (rect(6, 8, 26, 25), (130, 80, 180, 255)),
                     (ellipse(16, 8, 10, 3.5), (180, 130, 230, 255))),
    "format.ico": icon((circle(16, 16, 13), (30, 150, 150, 255)), (circle(16, 16, 3), WHITE),
                       (arc(16, 16, 10, 1.5, 20, 160), WHITE)),
    "check.ico": icon((outline_square(4, 4, 28, 28, 3, 2.5), DARK),
                      (stroke([(9, 16), (14, 21), (23, 10)], 3.5), GREEN)),
    "uncheck.ico": icon((outline_square(4, 4, 28, 28, 3, 2.5), DARK)),
    # SMART list
    "action.ico": icon((polygon([(19, 2), (7, 18), (15, 18), (12, 30), (25, 13), (17, 13)]), (250, 200, 30, 255))),
    "stateok.ico": icon((rounded_square(3, 3, 29, 29, 6), GREEN),
                        (stroke([(9, 16), (14, 21), (23, 10)], 3.5), WHITE)),
    "statewarning.ico": icon((circle(16, 16, 13), ORANGE), (stroke([(16, 9), (16, 18)], 3.4), WHITE),
                             (circle(16, 23, 2), WHITE)),
}


def ico_image(pixels):
    """One image of an icon file: header, colours bottom-up, AND mask."""
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
    return header + xor + mask


def write_ico(path, *images):
    """An icon file holding one image per pixel grid given."""
    blobs = [ico_image(pixels) for pixels in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for pixels, blob in zip(images, blobs):
        size = len(pixels)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    Path(path).write_bytes(out + b"".join(blobs))


def app_icon(size):
    """The application's own icon: a drive on a teal tile with a kestrel's
    wing stroke over it, so the task bar shows something of its own."""
    s = size / 32.0
    return render(size, [
        (rounded_square(1 * s, 1 * s, 31 * s, 31 * s, 6 * s), (18, 120, 140, 255)),
        (rounded_square(5 * s, 14 * s, 27 * s, 26 * s, 2.5 * s), (230, 236, 242, 255)),
        (rect(8 * s, 21 * s, 19 * s, 23 * s), DARK),
        (circle(23.5 * s, 22 * s, 1.6 * s), (80, 220, 90, 255)),
        (stroke([(4 * s, 11 * s), (11 * s, 5 * s), (16 * s, 9 * s), (22 * s, 4 * s), (28 * s, 8 * s)], 2.6 * s),
         (250, 190, 60, 255)),
    ])


def background(width=320, height=160, top=(38, 52, 78), bottom=(18, 24, 38)):
    """A deep blue gradient with faint diagonal bands; white text reads on it."""
    rows = []
    for y in range(height):
        t = y / (height - 1)
        row = []
        for x in range(width):
            band = 5 if ((x + y) // 14) % 2 == 0 else 0
            row.append(tuple(min(255, round(a + (b - a) * t) + band) for a, b in zip(top, bottom)))
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


# The result box's pictures.
ICONS = {
    "msg_success.ico": success_icon,
    "msg_fail.ico": fail_icon,
    "msg_warning.ico": warning_icon,
    "msg_ok.ico": ok_icon,
}

ICONS.update(PICTURES)

BITMAPS = {
    # Mid blue: the drive page writes white on it, the health and utilities
    # pages dark grey.
    "subbk.bmp": lambda: background(320, 160, (104, 140, 190), (72, 104, 156)),
    # Light behind the navigation captions, which are dark grey.
    "mainbk.bmp": lambda: background(452, 315, (232, 237, 245), (206, 215, 229)),
}


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--app-icon":
        # The resource compiler needs the application icon before the program links.
        Path(sys.argv[2]).parent.mkdir(parents=True, exist_ok=True)
        write_ico(sys.argv[2], app_icon(16), app_icon(32), app_icon(48))
        return
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, draw in ICONS.items():
        write_ico(out / name, draw())
    for name, draw in BITMAPS.items():
        write_bmp(out / name, draw())


if __name__ == "__main__":
    main()
