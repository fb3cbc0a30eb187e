#!/usr/bin/env python3
"""Decodes the JPEG test images of libjpeg-turbo's source package (from the
dependency cache) with `lvtool image decode` and compares every pixel with
djpeg's output. Usage: jpeg_testimages_check.py LVTOOL WORKDIR"""
import glob
import os
import shutil
import subprocess
import sys
import tarfile

SKIP = 77
IMAGES = ["testorig.jpg", "testimgint.jpg", "testimgari.jpg"]


def read_pam(path):
    data = open(path, "rb").read()
    end = data.index(b"ENDHDR\n") + 7
    fields = dict(line.split(b" ", 1) for line in data[:end].split(b"\n")[1:-2])
    return int(fields[b"WIDTH"]), int(fields[b"HEIGHT"]), data[end:]


def djpeg_rgb(path):
    ppm = subprocess.run(["djpeg", "-ppm", path], check=True, capture_output=True).stdout
    # P6 header: magic, width, height, maxval, one whitespace byte.
    fields, at = [], 0
    while len(fields) < 4:
        while ppm[at:at + 1].isspace():
            at += 1
        start = at
        while not ppm[at:at + 1].isspace():
            at += 1
        fields.append(ppm[start:at])
    return int(fields[1]), int(fields[2]), ppm[at + 1:]


def main():
    lvtool, work = sys.argv[1], sys.argv[2]
    cache = os.environ.get("LUMIVEX_CACHE", os.path.expanduser("~/.cache/lumivex"))
    tarballs = sorted(glob.glob(os.path.join(cache, "downloads", "libjpeg-turbo_*.orig.tar.*")))
    if not tarballs or not shutil.which("djpeg"):
        print("libjpeg-turbo source package or djpeg missing")
        return SKIP
    folder = os.path.join(work, "testimages")
    os.makedirs(folder, exist_ok=True)
    with tarfile.open(tarballs[-1]) as tar:
        for member in tar.getmembers():
            if "/testimages/" in member.name and os.path.basename(member.name) in IMAGES:
                member.name = os.path.basename(member.name)
                tar.extract(member, folder)
    failures = []
    for name in IMAGES:
        jpg = os.path.join(folder, name)
        out = os.path.join(work, name + ".pam")
        run = subprocess.run([lvtool, "image", "decode", jpg, out], capture_output=True)
        if run.returncode != 0:
            failures.append(f"{name}: exit code {run.returncode}: {run.stderr!r}")
            continue
        w, h, ours = read_pam(out)
        dw, dh, theirs = djpeg_rgb(jpg)
        rgb = bytes(b for i, b in enumerate(ours) if i % 4 != 3)
        if (w, h) != (dw, dh) or rgb != theirs:
            failures.append(f"{name}: differs from djpeg ({w}x{h}, djpeg {dw}x{dh})")
    # A bomb: a valid header stating 65000 x 65000 pixels in a tiny file.
    with open(os.path.join(folder, IMAGES[0]), "rb") as f:
        data = bytearray(f.read())
    sof = data.find(b"\xff\xc0")
    data[sof + 5:sof + 9] = bytes([0xFD, 0xE8, 0xFD, 0xE8])
    bomb = os.path.join(work, "bomb.jpg")
    open(bomb, "wb").write(data[:2048])
    run = subprocess.run([lvtool, "image", "decode", bomb, bomb + ".pam"], capture_output=True, timeout=60)
    if run.returncode != 1:
        failures.append(f"bomb.jpg: exit code {run.returncode}")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
