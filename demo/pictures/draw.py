#!/usr/bin/env python3
"""Draws the sample game's pictures as PNG files (the build converts them to
MCG with lvtool): an evening sky over hills, and a character with soft edges
in its alpha channel. Run from this folder to draw them again."""
import math
import struct
import zlib


def write_png(name, width, height, rows, alpha):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(name, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
                  + chunk(b"IEND", b""))


def sky(width=640, height=480):
    rows = []
    for y in range(height):
        t = y / height
        row = []
        for x in range(width):
            hill = height * (0.72 - 0.08 * math.sin(x / 90.0) - 0.04 * math.sin(x / 37.0 + 1.0))
            if y > hill:
                shade = int(60 + 40 * (y - hill) / (height - hill))
                row += [30, shade, 40]
            else:
                row += [int(40 + 200 * t), int(60 + 90 * t), int(140 - 60 * t)]
        rows.append(row)
    return rows


def character(width=200, height=360):
    rows = []
    parts = [(100, 70, 45), (100, 190, 70), (100, 300, 55)]  # head, body, legs: centre x, y, radius
    for y in range(height):
        row = []
        for x in range(width):
            distance = min(math.hypot((x - cx) / r, (y - cy) / (r * (1.6 if cy > 100 else 1.0))) for cx, cy, r in parts)
            a = max(0.0, min(1.0, (1.1 - distance) / 0.2))
            row += [230, int(120 + 60 * y / height), int(200 - 100 * x / width), int(255 * a)]
        rows.append(row)
    return rows


write_png("sky.png", 640, 480, sky(), False)
write_png("character.png", 200, 360, character(), True)
