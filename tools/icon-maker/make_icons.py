#!/usr/bin/env python3
"""Draws Kavrilon's two icons and writes them as .ico files (32-bit images at 16, 32 and 48 pixels).

Bitmap 100 of the shell extension (its menu entry): the notification-area image at 16 x 16 pixels,
24 bits per pixel without transparency, laid onto the light grey of a menu.

Icon 100 (the program): a blue desktop tile holding a grid of white desktop icons, one of them
orange, the icon that is put back in its place. Icon 101 (the notification area): the same idea
reduced to four icons, readable at 16 x 16 pixels.

Usage: make_icons.py <output folder>
"""
import struct
import sys
from pathlib import Path

SUPERSAMPLE = 4


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def render(size, tiles):
    """Returns rows of (r, g, b, a) for an icon of `size` pixels; coordinates are in 0..1 units."""
    background = rounded_rect(0.04, 0.04, 0.96, 0.96, 0.18)
    shapes = []
    for (x0, y0, x1, y1, colour) in tiles:
        shapes.append((rounded_rect(x0 + 0.025, y0 + 0.035, x1 + 0.025, y1 + 0.035, 0.04), (20, 40, 110, 150)))
        shapes.append((rounded_rect(x0, y0, x1, y1, 0.04), colour + (255,)))
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    if not background(x, y):
                        continue
                    # Vertical gradient from the splash screen's blue to a lighter blue.
                    t = y
                    colour = [51 + 120 * t, 102 + 100 * t, 255, 255]
                    for inside, (r, g, b, a) in shapes:
                        if inside(x, y):
                            alpha = a / 255.0
                            colour = [colour[0] * (1 - alpha) + r * alpha,
                                      colour[1] * (1 - alpha) + g * alpha,
                                      colour[2] * (1 - alpha) + b * alpha, 255]
                    for i in range(3):
                        acc[i] += colour[i]
                    acc[3] += 255
            covered = acc[3] / 255.0
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / covered)) for i in range(3)) + (int(round(acc[3] / (n * n))),))
        rows.append(row)
    return rows


WHITE = (255, 255, 255)
ORANGE = (255, 150, 30)


def program_tiles():
    tiles = []
    for row in range(3):
        for col in range(2):
            x0 = 0.17 + col * 0.36
            y0 = 0.14 + row * 0.25
            colour = ORANGE if (row, col) == (1, 1) else WHITE
            tiles.append((x0, y0, x0 + 0.26, y0 + 0.17, colour))
    return tiles


def tray_tiles():
    tiles = []
    for row in range(2):
        for col in range(2):
            x0 = 0.16 + col * 0.38
            y0 = 0.16 + row * 0.38
            colour = ORANGE if (row, col) == (1, 1) else WHITE
            tiles.append((x0, y0, x0 + 0.30, y0 + 0.30, colour))
    return tiles


def bmp_image(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for (r, g, b, a) in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, images):
    count = len(images)
    directory = bytearray(struct.pack('<HHH', 0, 1, count))
    data = bytearray()
    offset = 6 + 16 * count
    for size, blob in images:
        directory += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    path.write_bytes(bytes(directory + data))


MENU_GREY = (240, 240, 240)


def write_menu_bitmap(path, rows):
    """A 24-bit BMP file; every pixel blended onto the menu's grey by its alpha."""
    size = len(rows)
    stride = (size * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for (r, g, b, a) in row:
            blend = [round((c * a + m * (255 - a)) / 255) for c, m in zip((r, g, b), MENU_GREY)]
            line += bytes((blend[2], blend[1], blend[0]))
        pixels += line + bytes(stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    path.write_bytes(header + info + bytes(pixels))


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else '.')
    out.mkdir(parents=True, exist_ok=True)
    write_ico(out / 'Kavrilon.ico', [(s, bmp_image(render(s, program_tiles()))) for s in (16, 32, 48)])
    write_ico(out / 'KavrilonTray.ico', [(s, bmp_image(render(s, tray_tiles()))) for s in (16, 32)])
    write_menu_bitmap(out / 'KavrilonShellEx.bmp', render(16, tray_tiles()))


if __name__ == '__main__':
    main()
