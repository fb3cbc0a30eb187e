#!/usr/bin/env python3
"""Writes the click-wait clip: a 24 x 24 uncompressed AVI (24-bit, no sound,
as the system's animation control plays it) of eight frames in which a
bright dot runs round a ring of eight dim ones, 10 frames a second.

Usage: make_hitret_clip.py OUT.avi
"""
import math
import struct
import sys

SIZE = 24
FRAMES = 8
ROW = SIZE * 3  # a multiple of 4 already
FRAME_BYTES = ROW * SIZE


def frame(index):
    pixels = bytearray(FRAME_BYTES)  # black
    for dot in range(8):
        angle = 2 * math.pi * dot / 8 - math.pi / 2
        cx = 11.5 + 8 * math.cos(angle)
        cy = 11.5 + 8 * math.sin(angle)
        lit = dot == index
        colour = (255, 255, 255) if lit else (96, 96, 96)
        radius = 2.6 if lit else 2.0
        for y in range(SIZE):
            for x in range(SIZE):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    row = SIZE - 1 - y  # bottom-up rows
                    at = row * ROW + x * 3
                    pixels[at:at + 3] = bytes(colour)  # blue, green, red alike
    return bytes(pixels)


def chunk(fourcc, data):
    padded = data + (b"\0" if len(data) % 2 else b"")
    return fourcc + struct.pack("<I", len(data)) + padded


def listChunk(kind, body):
    return chunk(b"LIST", kind + body)


def main():
    avih = struct.pack("<14I", 100000, FRAME_BYTES * 10, 0, 0x10, FRAMES, 0, 1, FRAME_BYTES, SIZE, SIZE, 0, 0, 0, 0)
    strh = b"vids" + b"DIB " + struct.pack("<IHHIIIIIIII4h", 0, 0, 0, 0, 1, 10, 0, FRAMES, FRAME_BYTES,
                                           0xFFFFFFFF, 0, 0, 0, SIZE, SIZE)
    strf = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, FRAME_BYTES, 0, 0, 0, 0)
    hdrl = listChunk(b"hdrl", chunk(b"avih", avih) + listChunk(b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    frames = [chunk(b"00db", frame(i)) for i in range(FRAMES)]
    movi = listChunk(b"movi", b"".join(frames))
    # Index offsets count from the "movi" identifier.
    index = b""
    offset = 4
    for data in frames:
        index += b"00db" + struct.pack("<III", 0x10, offset, FRAME_BYTES)
        offset += len(data)
    body = b"AVI " + hdrl + movi + chunk(b"idx1", index)
    with open(sys.argv[1], "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", len(body)) + body)


if __name__ == "__main__":
    main()
