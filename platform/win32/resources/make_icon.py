#!/usr/bin/env python3
"""Draws Merkwandel's application icon and writes merkwandel.ico.

One icon with two images, 32 x 32 and 48 x 48, each with 256 colours
(8 bits per pixel, a palette) and a transparency mask. The picture: a blue
tile with a gold favourites star, and a red bookmark ribbon hanging from its
top edge - a bookmark turning into a favourite.

Usage: make_icon.py [OUTPUT]   (default: merkwandel.ico beside this script)
"""
import math
import os
import struct
import sys

SAMPLES = 4  # supersampling per axis


def inside_rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def star_points(cx, cy, outer, inner):
    points = []
    for k in range(10):
        radius = outer if k % 2 == 0 else inner
        angle = -math.pi / 2 + k * math.pi / 5
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return points


def inside_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def sample(u, v):
    """Colour (r, g, b) or None (transparent) at unit coordinates u, v."""
    # The bookmark ribbon, in front of everything, hanging over the top edge.
    ribbon = [(0.66, 0.02), (0.84, 0.02), (0.84, 0.44), (0.75, 0.36), (0.66, 0.44)]
    if inside_polygon(u, v, ribbon):
        shade = 0.85 if u > 0.75 else 1.0
        return (int(200 * shade), int(32 * shade), int(40 * shade))
    # The gold star, with a darker rim.
    star = star_points(0.44, 0.56, 0.34, 0.14)
    if inside_polygon(u, v, star):
        rim = star_points(0.44, 0.56, 0.28, 0.115)
        if inside_polygon(u, v, rim):
            light = 1.0 - 0.35 * (v - 0.25)
            return (255, int(min(255, 214 * light)), int(40 * light))
        return (178, 120, 0)
    # The tile: a blue gradient with a dark outline.
    if inside_rounded_rect(u, v, 0.06, 0.10, 0.94, 0.96, 0.14):
        if inside_rounded_rect(u, v, 0.095, 0.135, 0.905, 0.925, 0.11):
            t = (v - 0.1) / 0.86
            return (int(70 - 40 * t), int(150 - 70 * t), int(235 - 60 * t))
        return (16, 48, 110)
    return None


def render(size):
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            colours = []
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    u = (x + (sx + 0.5) / SAMPLES) / size
                    v = (y + (sy + 0.5) / SAMPLES) / size
                    c = sample(u, v)
                    if c is not None:
                        colours.append(c)
            if len(colours) * 2 < SAMPLES * SAMPLES:
                row.append(None)
            else:
                n = len(colours)
                row.append(tuple(sum(c[i] for c in colours) // n for i in range(3)))
        pixels.append(row)
    return pixels


def quantise(images):
    """One palette of at most 256 colours for all images; pixels as indices."""
    step = 1
    while True:
        def q(c):
            return tuple(min(255, (v // step) * step + step // 2) for v in c)
        colours = sorted({q(c) for img in images for row in img for c in row if c is not None})
        if len(colours) <= 255:
            break
        step *= 2
    palette = [(0, 0, 0)] + colours  # index 0 under the transparent pixels
    index = {c: i for i, c in enumerate(palette)}
    indexed = [[[0 if c is None else index[q(c)] for c in row] for row in img] for img in images]
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette, indexed


def dib(size, palette, indexed, mask_rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    xor = b""
    for row in reversed(indexed):  # bottom-up
        data = bytes(row)
        xor += data + b"\0" * ((4 - len(data) % 4) % 4)
    mask = b""
    for row in reversed(mask_rows):
        bits = bytearray((size + 31) // 32 * 4)
        for x, transparent in enumerate(row):
            if transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + pal + xor + mask


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "merkwandel.ico")
    sizes = [32, 48]
    images = [render(s) for s in sizes]
    palette, indexed = quantise(images)
    blobs = []
    for size, img, idx in zip(sizes, images, indexed):
        blobs.append(dib(size, palette, idx, [[c is None for c in row] for row in img]))
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, blob in zip(sizes, blobs):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
    data += b"".join(blobs)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
