#!/usr/bin/env python3
"""Draws the program's icon (a sun rising behind a cloud on a blue tile) and writes it as
an icon group of nine images: 48, 32 and 16 px at 4 and 8 bits per pixel, 48 and 16 px at
32 bits (with alpha) and 32 px at 24 bits.

Usage: make_icon.py OUTPUT.ico
"""

import math
import struct
import sys

SUPERSAMPLE = 4


def lerp(a, b, t):
    return a + (b - a) * t


def inside_rounded_square(x, y, radius):
    # Unit square with rounded corners; coordinates in 0..1.
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def cloud_coverage(x, y):
    puffs = [(0.36, 0.66, 0.17), (0.56, 0.58, 0.21), (0.74, 0.70, 0.14)]
    if any((x - px) ** 2 + (y - py) ** 2 <= r * r for px, py, r in puffs):
        return True
    return 0.22 <= x <= 0.86 and 0.66 <= y <= 0.84


def sample(x, y):
    """Colour (r, g, b, a) of the picture at a point of the unit square."""
    if not inside_rounded_square(x, y, 0.18):
        return (0, 0, 0, 0)
    # Sky: deep blue at the top to a paler blue at the bottom.
    r, g, b = (lerp(52, 111, y), lerp(84, 139, y), lerp(178, 222, y))
    sun_x, sun_y, sun_r = 0.64, 0.38, 0.2
    d = math.hypot(x - sun_x, y - sun_y)
    if d <= sun_r:
        r, g, b = 255, lerp(214, 176, d / sun_r), 40
    elif d <= sun_r + 0.08:
        # Rays: alternating wedges around the sun.
        angle = math.atan2(y - sun_y, x - sun_x)
        if math.cos(angle * 8) > 0.3:
            r, g, b = 255, 200, 64
    if cloud_coverage(x, y):
        shade = lerp(1.0, 0.86, max(0.0, (y - 0.5) / 0.35))
        r, g, b = 250 * shade, 252 * shade, 255 * shade
    return (r, g, b, 255)


def render(size):
    pixels = []
    n = SUPERSAMPLE
    for row in range(size):
        line = []
        for col in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = sample((col + (sx + 0.5) / n) / size, (row + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3]:
                line.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]), round(alpha)))
            else:
                line.append((0, 0, 0, 0))
        pixels.append(line)
    return pixels


VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def palette256():
    levels = [0, 51, 102, 153, 204, 255]
    colours = [(r, g, b) for r in levels for g in levels for b in levels]
    colours += [(v, v, v) for v in range(8, 248, 6)][:40]
    return colours


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def dither(pixels, palette):
    """Palette indices by error diffusion, so few colours still read as the gradient."""
    size = len(pixels)
    work = [[list(p[:3]) if p[3] >= 128 else [0, 0, 0] for p in line] for line in pixels]
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            old = [min(255, max(0, v)) for v in work[y][x]]
            i = nearest(palette, old)
            row.append(i)
            if pixels[y][x][3] < 128:
                continue
            err = [old[k] - palette[i][k] for k in range(3)]
            for dx, dy, w in ((1, 0, 7), (-1, 1, 3), (0, 1, 5), (1, 1, 1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < size and ny < size and pixels[ny][nx][3] >= 128:
                    for k in range(3):
                        work[ny][nx][k] += err[k] * w / 16
        rows.append(row)
    return rows


def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def and_mask(pixels):
    size = len(pixels)
    out = bytearray()
    for line in reversed(pixels):
        row = bytearray(row_bytes(1, size))
        for col, p in enumerate(line):
            if p[3] < 128:
                row[col // 8] |= 0x80 >> (col % 8)
        out += row
    return bytes(out)


def encode(pixels, bits):
    size = len(pixels)
    palette = VGA16 if bits == 4 else palette256() if bits == 8 else []
    body = bytearray()
    index_rows = dither(pixels, palette) if palette else None
    for line in reversed(pixels):  # bottom-up
        row = bytearray()
        if bits == 32:
            for r, g, b, a in line:
                row += bytes((b, g, r, a))
        elif bits == 24:
            for r, g, b, a in line:
                row += bytes((b, g, r)) if a >= 128 else b"\0\0\0"
        else:
            indices = [index_rows[size - 1 - len(body) // row_bytes(bits, size)][c]
                       for c in range(size)]
            if bits == 8:
                row += bytes(indices)
            else:
                for i in range(0, size, 2):
                    row.append((indices[i] << 4) | (indices[i + 1] if i + 1 < size else 0))
        row += b"\0" * (row_bytes(bits, size) - len(row))
        body += row
    mask = and_mask(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(body) + len(mask), 0, 0, len(palette), 0)
    colour_table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colour_table + bytes(body) + mask


IMAGES = [(48, 4), (32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 32), (16, 32), (32, 24)]


def main():
    renders = {size: render(size) for size in {s for s, _ in IMAGES}}
    blobs = [encode(renders[size], bits) for size, bits in IMAGES]
    out = struct.pack("<HHH", 0, 1, len(IMAGES))
    offset = 6 + 16 * len(IMAGES)
    for (size, bits), blob in zip(IMAGES, blobs):
        out += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits,
                           len(blob), offset)
        offset += len(blob)
    out += b"".join(blobs)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
