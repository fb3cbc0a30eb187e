#!/usr/bin/env python3
"""Decodes libpng's own test suite (contrib/pngsuite of the Debian source
package in the dependency cache) with `lvtool image decode` and compares every
pixel with ImageMagick's decode; the corrupt files (x*.png) must be refused
with exit code 1. Usage: pngsuite_check.py LVTOOL WORKDIR"""
import glob
import os
import subprocess
import sys
import struct
import tarfile
import zlib

SKIP = 77


def read_pam(path):
    data = open(path, "rb").read()
    end = data.index(b"ENDHDR\n") + 7
    fields = dict(line.split(b" ", 1) for line in data[:end].split(b"\n")[1:-2])
    return int(fields[b"WIDTH"]), int(fields[b"HEIGHT"]), data[end:]


def magick_rgba(path):
    size = subprocess.run(["identify", "-format", "%w %h", path + "[0]"], check=True,
                          capture_output=True).stdout.split()
    # Stored values, without the conversion a gAMA chunk would bring.
    rgba = subprocess.run(["convert", path + "[0]", "-set", "colorspace", "sRGB", "-depth", "8", "rgba:-"], check=True,
                          capture_output=True).stdout
    return int(size[0]), int(size[1]), rgba


def main():
    lvtool, work = sys.argv[1], sys.argv[2]
    cache = os.environ.get("LUMIVEX_CACHE", os.path.expanduser("~/.cache/lumivex"))
    tarballs = sorted(glob.glob(os.path.join(cache, "downloads", "libpng1.6_*.orig.tar.*")))
    if not tarballs:
        print("libpng source package not in the dependency cache")
        return SKIP
    suite = os.path.join(work, "pngsuite")
    if not os.path.isdir(suite):
        os.makedirs(suite, exist_ok=True)
        with tarfile.open(tarballs[-1]) as tar:
            for member in tar.getmembers():
                if "/contrib/pngsuite/" in member.name and member.name.endswith(".png"):
                    member.name = os.path.basename(member.name)
                    tar.extract(member, suite)
    failures = []
    files = sorted(glob.glob(os.path.join(suite, "*.png")))
    for png in files:
        name = os.path.basename(png)
        out = os.path.join(work, name + ".pam")
        run = subprocess.run([lvtool, "image", "decode", png, out], capture_output=True)
        if name.startswith("x"):
            if run.returncode != 1:
                failures.append(f"{name}: corrupt file gave exit code {run.returncode}: {run.stderr!r}")
            continue
        if run.returncode != 0:
            failures.append(f"{name}: exit code {run.returncode}: {run.stderr!r}")
            continue
        w, h, ours = read_pam(out)
        mw, mh, theirs = magick_rgba(png)
        if (w, h) != (mw, mh) or len(ours) != len(theirs):
            failures.append(f"{name}: {w}x{h}, ImageMagick {mw}x{mh}")
            continue
        # 16-bit channels: libpng keeps the high byte, ImageMagick rounds.
        worst = max((abs(a - b) for a, b in zip(ours, theirs)), default=0)
        if worst > 1:
            failures.append(f"{name}: pixels differ by up to {worst}")
    # A bomb: 60000 x 60000 RGB stated in a file of a few dozen bytes.
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    bomb = os.path.join(work, "bomb.png")
    with open(bomb, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 60000, 60000, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(bytes(1000))) + chunk(b"IEND", b""))
    run = subprocess.run([lvtool, "image", "decode", bomb, bomb + ".pam"], capture_output=True, timeout=60)
    if run.returncode != 1:
        failures.append(f"bomb.png: exit code {run.returncode}")
    for failure in failures:
        print(failure)
    print(f"{len(files)} files, {len(failures)} failures")
    return 1 if failures or not files else 0


if __name__ == "__main__":
    sys.exit(main())
