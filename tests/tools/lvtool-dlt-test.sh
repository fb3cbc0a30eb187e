#!/usr/bin/env bash
# lvtool dlt frames and the DLT side of lvtool image: every frame of a
# hand-made 8-bit animation as a PAM, decode giving its first picture, info
# its kind; image scale at equal sizes copying the picture; bad arguments
# exit 2, unreadable files 1 with one line.
set -u
lvtool="$1"
seeds="$2"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
failed=0
check() { if ! "$@"; then echo "FAIL: $*"; failed=1; fi; }

# 4 x 4 grey indices: a stored key frame of 0..15 (bottom row first), then a
# delta of index 7 down its first column's top two pixels, then a chunk that
# draws nothing.
grey_pam() {
    printf 'P7\nWIDTH 4\nHEIGHT 4\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n'
    for v in "$@"; do printf "\\x$(printf %02x "$v")\\x$(printf %02x "$v")\\x$(printf %02x "$v")\\xff"; done
}
grey_pam 12 13 14 15 8 9 10 11 4 5 6 7 0 1 2 3 >key.pam
grey_pam 7 13 14 15 7 9 10 11 4 5 6 7 0 1 2 3 >delta.pam

mkdir frames
check "$lvtool" dlt frames "$seeds/old-form-repeat.dlt" frames
check [ "$(ls frames | tr '\n' ' ')" = "frame0000.pam frame0001.pam frame0002.pam " ]
check cmp -s key.pam frames/frame0000.pam
check cmp -s delta.pam frames/frame0001.pam
check cmp -s delta.pam frames/frame0002.pam
check "$lvtool" image decode "$seeds/old-form-repeat.dlt" first.pam
check cmp -s key.pam first.pam
check [ "$("$lvtool" image info "$seeds/old-form-repeat.dlt")" = "kind=241 width=4 height=4 bpp=8 alpha=0" ]
check [ "$("$lvtool" image info "$seeds/stored-key-alpha.dlt")" = "kind=241 width=8 height=6 bpp=24 alpha=1" ]

check "$lvtool" image scale --filter lanczos 4 4 key.pam same.pam
check cmp -s key.pam same.pam
check "$lvtool" image scale --filter bilinear 2 2 key.pam small.pam

"$lvtool" dlt frames missing.dlt frames 2>err.txt
check [ $? -eq 1 ]
check [ "$(wc -l <err.txt)" -eq 1 ]
"$lvtool" dlt frames 2>/dev/null
check [ $? -eq 2 ]
"$lvtool" image scale --filter cubic 2 2 key.pam out.pam 2>/dev/null
check [ $? -eq 2 ]
"$lvtool" image scale --filter lanczos 0 2 key.pam out.pam 2>/dev/null
check [ $? -eq 2 ]
exit $failed
