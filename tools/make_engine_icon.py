#!/usr/bin/env python3
"""Draws the engine's icon and writes it as a Windows .ico file.

The icon is drawn here rather than kept as a binary in the repository: a
rounded square in a blue gradient holding a white quill-like "Q", at the
sizes Windows asks for (16, 24, 32, 48 and 256 pixels; the largest stored as
PNG, as Windows Vista and later read it).

    make_engine_icon.py OUTPUT.ico
"""
import math
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)
SAMPLES = 4  # per axis, for smooth edges


def coverage(size, x, y, inside):
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            u = (x + (sx + 0.5) / SAMPLES) / size
            v = (y + (sy + 0.5) / SAMPLES) / size
            hits += inside(u, v)
    return hits / (SAMPLES * SAMPLES)


def in_rounded_square(u, v, margin=0.04, radius=0.2):
    lo, hi = margin, 1 - margin
    if not (lo <= u <= hi and lo <= v <= hi):
        return False
    cx = min(max(u, lo + radius), hi - radius)
    cy = min(max(v, lo + radius), hi - radius)
    return (u - cx) ** 2 + (v - cy) ** 2 <= radius ** 2


def in_letter(u, v):
    # The ring of the Q, a little above the middle, and its tail: a slanted
    # stroke like a quill's nib running down to the right.
    dx, dy = u - 0.48, v - 0.46
    r = math.hypot(dx, dy)
    if 0.17 <= r <= 0.27:
        return True
    # tail: distance to the segment (0.52, 0.55) -> (0.80, 0.84)
    ax, ay, bx, by = 0.52, 0.55, 0.80, 0.84
    t = ((u - ax) * (bx - ax) + (v - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2)
    t = min(max(t, 0.0), 1.0)
    px, py = ax + t * (bx - ax), ay + t * (by - ay)
    width = 0.035 + 0.03 * (1 - t)
    return math.hypot(u - px, v - py) <= width


def pixels(size):
    """Rows top-down of (r, g, b, a)."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            square = coverage(size, x, y, in_rounded_square)
            letter = coverage(size, x, y, in_letter)
            shade = y / max(size - 1, 1)
            r, g, b = int(40 + 20 * shade), int(110 - 40 * shade), int(210 - 60 * shade)
            r = int(r + (255 - r) * letter)
            g = int(g + (255 - g) * letter)
            b = int(b + (255 - b) * letter)
            row.append((r, g, b, int(255 * square)))
        rows.append(row)
    return rows


def png(size, rows):
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def dib(size, rows):
    """A 32-bit bottom-up DIB with its AND mask, as icons store small sizes."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def main():
    images = []
    for size in SIZES:
        rows = pixels(size)
        images.append((size, png(size, rows) if size >= 256 else dib(size, rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
