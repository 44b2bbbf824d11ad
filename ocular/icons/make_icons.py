#!/usr/bin/env python3
"""Draws the plug-in's 13 icons into .ico files (16, 24 and 32 pixels, 32-bit with alpha).

Every icon is a list of shapes in a 32 x 32 design grid, painted in order and sampled 4 x 4 per pixel,
so the three sizes come from one drawing and stay alike. One palette and one outline width keep the
tool bar consistent. Run it from anywhere; it writes beside itself. With --preview DIR it also writes
each icon as a PNG at four times its size, the three sizes side by side, for looking at them.
"""
import math
import os
import struct
import sys
import zlib

SIZES = (16, 24, 32)
SAMPLES = 4

OUTLINE = (30, 41, 59)
BLUE = (37, 99, 235)
LIGHT_BLUE = (147, 197, 253)
GREEN = (22, 163, 74)
YELLOW = (250, 204, 21)
FOLDER = (245, 178, 40)
RED = (220, 38, 38)
CYAN = (6, 182, 212)
WHITE = (255, 255, 255)
LIGHT_GREY = (203, 213, 225)
MID_GREY = (128, 128, 128)
DARK_GREY = (71, 85, 105)
BLACK = (15, 15, 15)
ORANGE = (234, 88, 12)
STEEL = (100, 116, 139)

# ---- shapes: each is (inside(x, y) -> bool, colour) in design units ----


def circle(cx, cy, r, colour):
    return (lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour)


def ring(cx, cy, outer, inner, colour):
    return (lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer, colour)


def arc(cx, cy, outer, inner, start, end, colour):
    """Part of a ring from angle start to end (degrees, counter-clockwise, y pointing down)."""
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        if not inner * inner <= d <= outer * outer:
            return False
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return (a - start) % 360 <= (end - start) % 360
    return (inside, colour)


def rect(x0, y0, x1, y1, colour, radius=0.0):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        if radius <= 0:
            return True
        nx = min(max(x, x0 + radius), x1 - radius)
        ny = min(max(y, y0 + radius), y1 - radius)
        return (x - nx) ** 2 + (y - ny) ** 2 <= radius * radius
    return (inside, colour)


def line(x0, y0, x1, y1, width, colour):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1.0

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return (inside, colour)


def polygon(points, colour):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return (inside, colour)


def half_disc(cx, cy, r, left, colour):
    """The left or right half of a disc."""
    return (lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r and ((x <= cx) == left), colour)


def outlined_circle(cx, cy, r, colour, width=2.0):
    return [circle(cx, cy, r + width / 2, OUTLINE), circle(cx, cy, r - width / 2, colour)]


def arrow_head(tip, back, half_width, colour):
    """A triangle pointing from back to tip."""
    (tx, ty), (bx, by) = tip, back
    dx, dy = tx - bx, ty - by
    length = math.hypot(dx, dy)
    nx, ny = -dy / length * half_width, dx / length * half_width
    return polygon([(tx, ty), (bx + nx, by + ny), (bx - nx, by - ny)], colour)


def dots(points, radius, colour):
    return [circle(x, y, radius, colour) for x, y in points]


# ---- the icons ----

CLOUD = [(8, 20), (13, 17), (18, 19), (23, 16), (11, 24), (16, 23), (21, 24), (25, 21)]


def load_project():
    # A folder opening, points coming out of it.
    return [
        polygon([(3, 8), (12, 8), (14, 11), (29, 11), (29, 27), (3, 27)], OUTLINE),
        polygon([(4.5, 9.5), (11.2, 9.5), (13.2, 12.5), (27.5, 12.5), (27.5, 25.5), (4.5, 25.5)], FOLDER),
        polygon([(3, 27), (7, 15), (31, 15), (27, 27)], OUTLINE),
        polygon([(5.2, 25.5), (8.2, 16.5), (28.8, 16.5), (25.8, 25.5)], YELLOW),
        *dots([(11, 21), (16, 19.5), (21, 21.5), (14, 23.5), (19, 24)], 1.6, BLUE),
    ]


def reload():
    # Two arrows going round: read the same file again.
    return [
        arc(16, 16, 13, 8.5, 20, 160, OUTLINE),
        arc(16, 16, 11.5, 10, 20, 160, GREEN),
        arc(16, 16, 13, 8.5, 200, 340, OUTLINE),
        arc(16, 16, 11.5, 10, 200, 340, GREEN),
        arrow_head((28.5, 21), (24, 12.5), 5.5, OUTLINE),
        arrow_head((27.3, 19.3), (24.3, 13.7), 3.7, GREEN),
        arrow_head((3.5, 11), (8, 19.5), 5.5, OUTLINE),
        arrow_head((4.7, 12.7), (7.7, 18.3), 3.7, GREEN),
        *dots([(13, 14), (19, 15), (15, 19)], 1.8, BLUE),
    ]


def update_loaded():
    # Points held in memory go down into the engine's storage.
    return [
        *dots([(6, 4), (11, 6), (16, 3.5), (21, 5.5), (26, 4)], 1.8, BLUE),
        rect(13, 8, 19, 16, OUTLINE),
        rect(14.5, 8, 17.5, 16, ORANGE),
        arrow_head((16, 22), (16, 14), 6.5, OUTLINE),
        arrow_head((16, 20), (16, 15.3), 4.2, ORANGE),
        rect(5, 22, 27, 30, OUTLINE, 3),
        rect(6.5, 23.5, 25.5, 28.5, STEEL, 2),
        line(9, 26, 23, 26, 1.6, LIGHT_GREY),
    ]


def save_session():
    # A disk.
    return [
        rect(3, 3, 29, 29, OUTLINE, 3),
        rect(4.5, 4.5, 27.5, 27.5, BLUE, 2),
        rect(8, 4.5, 24, 13, LIGHT_GREY),
        rect(19, 6, 22, 11.5, OUTLINE),
        rect(7, 17, 25, 27.5, WHITE),
        line(10, 21, 22, 21, 1.5, LIGHT_GREY),
        line(10, 24.5, 22, 24.5, 1.5, LIGHT_GREY),
    ]


def settings_snap():
    # A magnet pulling a point onto a cross.
    return [
        arc(13, 13, 10.5, 3.5, 180, 360, OUTLINE),
        rect(2.5, 3, 9.5, 13, OUTLINE),
        rect(16.5, 3, 23.5, 13, OUTLINE),
        arc(13, 13, 9, 5, 180, 360, RED),
        rect(4, 7, 8, 13, RED),
        rect(18, 7, 22, 13, RED),
        rect(4, 3.5, 8, 7, LIGHT_GREY),
        rect(18, 3.5, 22, 7, LIGHT_GREY),
        line(24, 20, 24, 31, 2, OUTLINE),
        line(18.5, 25.5, 29.5, 25.5, 2, OUTLINE),
        circle(24, 25.5, 3, BLUE),
    ]


def about_ocularis():
    # The information sign.
    return [
        *outlined_circle(16, 16, 13.5, BLUE),
        circle(16, 9.5, 2.4, WHITE),
        rect(13.5, 13.5, 18.5, 24.5, WHITE, 1),
    ]


def contrast_plain():
    # Points of one colour, no shading.
    grid = [(9.5 + 13 * i, 9.5 + 13 * j) for j in range(2) for i in range(2)]
    return [*dots(grid, 6.5, OUTLINE), *dots(grid, 5, LIGHT_BLUE)]


def contrast_disc(left, right):
    return [
        circle(16, 16, 14, OUTLINE),
        half_disc(16, 16, 12.5, True, left),
        half_disc(16, 16, 12.5, False, right),
    ]


def contrast_high():
    return contrast_disc(BLACK, WHITE)


def contrast_medium():
    return contrast_disc(DARK_GREY, LIGHT_GREY)


def contrast_none():
    return contrast_disc(MID_GREY, MID_GREY)


def pointsize():
    # Points growing, with the arrow of the mouse movement that grows them.
    return [
        *outlined_circle(6, 25, 2.2, BLUE, 1.6),
        *outlined_circle(13.5, 17.5, 3.8, BLUE, 1.8),
        *outlined_circle(23, 8.5, 6, BLUE),
        line(5, 13, 13, 5, 2.2, OUTLINE),
        arrow_head((15, 3), (10, 8), 3.5, OUTLINE),
        line(19, 27, 27, 19, 2.2, OUTLINE),
        arrow_head((29, 17), (24, 22), 3.5, OUTLINE),
    ]


def visibility():
    # An eye.
    def almond(width, colour):
        upper = lambda x: 16 - (12 + width) * math.cos((x - 16) / (15 + width) * math.pi / 2)
        lower = lambda x: 16 + (12 + width) * math.cos((x - 16) / (15 + width) * math.pi / 2)
        return (lambda x, y: abs(x - 16) <= 15 + width and upper(x) * 0.62 + 16 * 0.38 <= y <= lower(x) * 0.62 + 16 * 0.38,
                colour)
    return [
        almond(1.2, OUTLINE),
        almond(-0.6, WHITE),
        circle(16, 16, 6.5, OUTLINE),
        circle(16, 16, 5.3, GREEN),
        circle(16, 16, 2.6, BLACK),
        circle(14.3, 14.3, 1.2, WHITE),
    ]


def korvane():
    # Red and cyan glasses: the stereo viewer.
    return [
        line(2, 12, 30, 12, 2.5, OUTLINE),
        rect(2, 11, 15, 25, OUTLINE, 4),
        rect(17, 11, 30, 25, OUTLINE, 4),
        rect(3.5, 12.5, 13.5, 23.5, RED, 3),
        rect(18.5, 12.5, 28.5, 23.5, CYAN, 3),
        line(13.5, 16, 18.5, 16, 2.5, OUTLINE),
        rect(5, 14, 8, 16, (252, 165, 165), 1),
        rect(20, 14, 23, 16, (165, 243, 252), 1),
    ]


ICONS = [
    ("load_project", load_project),
    ("reload", reload),
    ("update_loaded", update_loaded),
    ("save_session", save_session),
    ("settings_snap", settings_snap),
    ("about_ocularis", about_ocularis),
    ("contrast_plain", contrast_plain),
    ("contrast_high", contrast_high),
    ("contrast_medium", contrast_medium),
    ("contrast_none", contrast_none),
    ("pointsize", pointsize),
    ("visibility", visibility),
    ("korvane", korvane),
]

# ---- rendering and files ----


def render(shapes, size):
    """Rows from the top of (r, g, b, a) tuples."""
    scale = 32.0 / size
    pixels = []
    for row in range(size):
        line_pixels = []
        for column in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (column + (sx + 0.5) / SAMPLES) * scale
                    y = (row + (sy + 0.5) / SAMPLES) * scale
                    colour = None
                    for inside, shape_colour in shapes:
                        if inside(x, y):
                            colour = shape_colour
                    if colour:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            n = SAMPLES * SAMPLES
            if a:
                line_pixels.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                line_pixels.append((0, 0, 0, 0))
        pixels.append(line_pixels)
    return pixels


def ico_image(pixels):
    """One ICO entry: a BITMAPINFOHEADER of double height, BGRA rows from the bottom, the AND mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row_bytes)
        for column, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[column // 8] |= 0x80 >> (column % 8)
        mask += bits
    return header + colour + bytes(mask)


def ico_file(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for pixels in images:
        blob = ico_image(pixels)
        size = len(pixels)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return directory + entries + blobs


def png_file(rows):
    """RGBA rows as a PNG."""
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview(images, zoom=4, gap=8, background=(236, 240, 244, 255)):
    """The sizes side by side, each pixel zoom x zoom, on a light background (alpha blended)."""
    height = max(len(p) for p in images) * zoom
    width = sum(len(p) * zoom for p in images) + gap * (len(images) + 1)
    rows = [[background] * width for _ in range(height + 2 * gap)]
    x = gap
    for pixels in images:
        for row_index, row in enumerate(pixels):
            for column_index, (r, g, b, a) in enumerate(row):
                blend = tuple(round((c * a + bg * (255 - a)) / 255) for c, bg in zip((r, g, b), background))
                for dy in range(zoom):
                    for dx in range(zoom):
                        rows[gap + row_index * zoom + dy][x + column_index * zoom + dx] = blend + (255,)
        x += len(pixels) * zoom + gap
    return png_file(rows)


def main(arguments):
    here = os.path.dirname(os.path.abspath(__file__))
    preview_folder = arguments[arguments.index("--preview") + 1] if "--preview" in arguments else None
    for name, drawing in ICONS:
        shapes = drawing()
        images = [render(shapes, size) for size in SIZES]
        with open(os.path.join(here, name + ".ico"), "wb") as out:
            out.write(ico_file(images))
        if preview_folder:
            os.makedirs(preview_folder, exist_ok=True)
            with open(os.path.join(preview_folder, name + ".png"), "wb") as out:
                out.write(preview(images))


if __name__ == "__main__":
    main(sys.argv[1:])
