#!/usr/bin/env python3
"""Draws Lunetka's two icons (32x32 and 16x16, 32-bit colour with alpha):
a magnifying glass with a light-blue lens and an orange handle in front of a
red ball. Anti-aliased by 8x8 supersampling. Writes res/lunetka32.ico and
res/lunetka16.ico; the output is deterministic, so the committed files can
be regenerated and compared."""
import math
import os
import struct

SAMPLES = 8


def over(dst, src):
    """Porter-Duff 'over' on straight RGBA floats in 0..1."""
    sr, sg, sb, sa = src
    dr, dg, db, da = dst
    a = sa + da * (1 - sa)
    if a == 0:
        return (0.0, 0.0, 0.0, 0.0)
    mix = lambda s, d: (s * sa + d * da * (1 - sa)) / a
    return (mix(sr, dr), mix(sg, dg), mix(sb, db), a)


def segment_distance(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - (ax + t * vx), py - (ay + t * vy))


def shade(x, y):
    """Colour of one sample point, coordinates in the unit square."""
    pixel = (0.0, 0.0, 0.0, 0.0)
    # The red ball, behind, lit from the upper left.
    bx, by, br = 0.64, 0.36, 0.34
    d = math.hypot(x - bx, y - by)
    if d <= br:
        light = max(0.0, 1.0 - math.hypot(x - (bx - 0.12), y - (by - 0.12)) / (br * 1.6))
        pixel = over(pixel, (0.78 + 0.22 * light, 0.08 + 0.45 * light ** 3, 0.08 + 0.45 * light ** 3, 1.0))
    # The handle, orange, from the lens towards the lower right.
    if segment_distance(x, y, 0.50, 0.56, 0.86, 0.92) <= 0.085:
        edge = segment_distance(x, y, 0.50, 0.56, 0.86, 0.92) / 0.085
        pixel = over(pixel, (1.0, 0.55 - 0.15 * edge, 0.05, 1.0))
    # The lens: a dark rim around light-blue glass with a glint.
    lx, ly, lr = 0.38, 0.42, 0.26
    d = math.hypot(x - lx, y - ly)
    if d <= lr:
        if d >= lr - 0.065:
            pixel = over(pixel, (0.20, 0.24, 0.32, 1.0))
        else:
            glint = max(0.0, 1.0 - math.hypot(x - (lx - 0.08), y - (ly - 0.08)) / 0.12)
            pixel = over(pixel, (0.55 + 0.45 * glint, 0.82 + 0.18 * glint, 1.0, 0.82))
    return pixel


def render(size):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    r, g, b, a = shade((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            a = acc[3] / n
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / acc[3] * 255) for c in acc[:3]) + (round(a * 255),))
        rows.append(row)
    return rows


def ico(size, pixels):
    """One 32-bit image in an .ico: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask."""
    xor = b"".join(struct.pack("BBBB", b, g, r, a) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22)
    return directory + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for size in (32, 16):
        with open(os.path.join(here, "lunetka%d.ico" % size), "wb") as out:
            out.write(ico(size, render(size)))


if __name__ == "__main__":
    main()
