#!/usr/bin/env python3
"""Writes the DLT fuzz seeds: small animations made by hand, one per kind of
chunk, with LZSS streams of literals only (a flag byte 0xFF before every
eight bytes)."""
import os
import struct
import sys

NO_RECT, NOT_DRAWN, REPEAT, COLOUR_UNPACKED, ALPHA_UNPACKED, ALPHA, END, BOTTOM_UP = (
    2, 4, 8, 1 << 12, 1 << 13, 1 << 14, 1 << 15, 1 << 16)


def lzss(data):
    out = bytearray()
    for i in range(0, len(data), 8):
        piece = data[i:i + 8]
        out.append((1 << len(piece)) - 1)
        out += piece
    return bytes(out)


def header(w, h, flags, version=0x103, magic=True, timing=40):
    return struct.pack('<8I', version, w, h, 1, flags, timing, 0, 0x00544C44 if magic else 0)


def chunk(flags, colour, rect=(0, 0, 0, 0), alpha=None):
    out = struct.pack('<2I', flags, len(colour))
    if not flags & (NO_RECT | NOT_DRAWN | END):
        out += struct.pack('<4i', *rect)
    if flags & ALPHA:
        out += struct.pack('<I', len(alpha))
    return out + colour + (alpha or b'')


def end():
    return struct.pack('<2I', END, 0)


def pixels(w, h, seed):
    return bytes((x * 7 + y * 13 + seed + c * 50) & 0xFF if (x + y) % 3 else 0
                 for y in range(h) for x in range(w) for c in range(4))


def t(kind):
    return kind << 8


seeds = {
    'stored-key-alpha.dlt': header(8, 6, 0x2) + chunk(t(0xF) | NO_RECT | ALPHA, pixels(8, 6, 1), alpha=bytes(range(48)))
    + chunk(t(0) | ALPHA, pixels(3, 2, 2), (2, 1, 3, 2), bytes(6)) + end(),
    'compressed-key-deltas.dlt': header(8, 6, 0x3) + chunk(t(0xD) | NO_RECT, lzss(pixels(8, 6, 3)))
    + chunk(t(2), lzss(pixels(4, 3, 4)), (1, 1, 4, 3))
    + chunk(t(2) | BOTTOM_UP | ALPHA, lzss(pixels(8, 2, 5)), (0, 2, 8, 2), lzss(bytes([0xFE, 9] * 8)))
    + chunk(t(1), b'', (0, 0, 8, 6)) + end(),
    'eight-bit-palette.dlt': header(8, 6, 0x800) + chunk(t(0xE) | NO_RECT, bytes(range(256)) * 4)
    + chunk(t(0xD) | NO_RECT, lzss(bytes((i * 5) & 0xFF for i in range(48))))
    + chunk(t(2) | COLOUR_UNPACKED, bytes([0, 3, 4, 0]), (2, 2, 2, 2))
    + chunk(t(0xF) | NO_RECT, bytes(range(48))) + end(),
    'old-form-repeat.dlt': header(4, 4, 0x801, version=0x101, magic=False)
    + chunk(t(0xF) | NO_RECT, bytes(range(16)))
    + chunk(t(3) | REPEAT | (3 << 4), bytes([7, 0, 7, 0]), (0, 0, 2, 2))
    + chunk(t(0) | NOT_DRAWN, bytes(4)) + end(),
}

folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), 'dlt-seeds')
for name, data in seeds.items():
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)
