#!/usr/bin/env bash
# lvtool image: both layouts round-trip a picture through encode and decode,
# convert writes PNG and BMP that read back the same, info prints one line,
# keys lock and unlock, batches name each output after its input and fail
# whole when one file fails; bad arguments exit 2, unreadable files exit 1
# with one line naming them.
set -u
lvtool="$1"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
failed=0
check() { if ! "$@"; then echo "FAIL: $*"; failed=1; fi; }

# A 4 x 2 RGBA picture whose alpha values lie on the 17 levels (0, 128,
# 255, 16), so that every mask keeps them exactly.
pam_header() { printf 'P7\nWIDTH 4\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n'; }
{
    pam_header
    printf '\x10\x20\x30\x00\x11\x21\x31\x80\x12\x22\x32\xff\x13\x23\x33\x10'
    printf '\xf0\x00\x0f\xff\x00\xf0\x0f\x80\x0f\x00\xf0\x00\x80\x80\x80\xff'
} >in.pam
# The same picture without alpha, as PAM output writes it (A = 255).
{
    pam_header
    printf '\x10\x20\x30\xff\x11\x21\x31\xff\x12\x22\x32\xff\x13\x23\x33\xff'
    printf '\xf0\x00\x0f\xff\x00\xf0\x0f\xff\x0f\x00\xf0\xff\x80\x80\x80\xff'
} >opaque.pam

for method in 0 3 raw; do
    for mask in 17 256; do
        check "$lvtool" image encode --keyed --method "$method" --mask "$mask" in.pam "k$method$mask.mcg"
        check "$lvtool" image decode "k$method$mask.mcg" "k$method$mask.pam"
        check cmp -s in.pam "k$method$mask.pam"
    done
done
check "$lvtool" image encode --keyed --mask none in.pam nomask.mcg
check "$lvtool" image decode nomask.mcg nomask.pam
check cmp -s opaque.pam nomask.pam
check "$lvtool" image decode --ignore-mask k3256.mcg ignored.pam
check cmp -s opaque.pam ignored.pam
check [ "$("$lvtool" image info k0256.mcg)" = "kind=3 width=4 height=2 bpp=24 alpha=2" ]
check [ "$("$lvtool" image info k017.mcg)" = "kind=3 width=4 height=2 bpp=24 alpha=1" ]

check "$lvtool" image encode --plain in.pam plain.mcg
check [ "$("$lvtool" image info plain.mcg)" = "kind=1 width=4 height=2 bpp=24 alpha=0" ]
check "$lvtool" image decode plain.mcg plain.pam
check cmp -s opaque.pam plain.pam

# A key: decoded with it, the picture; without it, the placeholder (with a
# note), and no encoding or conversion from it.
check "$lvtool" image encode --keyed --key 0xC0FFEE in.pam locked.mcg
check "$lvtool" image decode --key 12648430 locked.mcg unlocked.pam
check cmp -s in.pam unlocked.pam
"$lvtool" image decode locked.mcg placeholder.pam 2>err
check [ $? -eq 0 ]
check grep -q placeholder err
# Its top row is green, the row below black.
check [ "$(tail -c 32 placeholder.pam | od -An -tx1 | tr -d ' \n')" = "00ff00ff00ff00ff00ff00ff00ff00ff000000ff000000ff000000ff000000ff" ]
"$lvtool" image convert locked.mcg x.png 2>err
check [ $? -eq 1 ]
check [ "$(wc -l <err)" -eq 1 ]

# A BMP keeps alpha in its fourth bytes: encode takes it back, while a
# surface loading the BMP has no alpha plane.
for format in png bmp; do
    check "$lvtool" image convert --key 0xC0FFEE locked.mcg "c.$format"
    check "$lvtool" image decode "c.$format" "c$format.pam"
    if [ $format = png ]; then check cmp -s in.pam cpng.pam; else check cmp -s opaque.pam cbmp.pam; fi
    check "$lvtool" image encode --keyed --method 0 "c.$format" "from$format.mcg"
    check "$lvtool" image decode "from$format.mcg" "from$format.pam"
    check cmp -s in.pam "from$format.pam"
done

# Batches: several inputs and an existing folder.
mkdir out
check "$lvtool" image decode k0256.mcg plain.mcg out
check cmp -s in.pam out/k0256.pam
check cmp -s opaque.pam out/plain.pam
check "$lvtool" image convert --format bmp k0256.mcg plain.mcg out
check [ -s out/k0256.bmp ] && check [ -s out/plain.bmp ]
printf 'not an image' >junk.mcg
"$lvtool" image encode --keyed k0256.pam junk.mcg missing.pam out 2>err
check [ $? -eq 1 ]
check [ -s out/k0256.mcg ]
check grep -q "junk.mcg: " err
check grep -q "missing.pam: " err
# Two inputs of one name: the second is not written over the first.
mkdir sub
cp plain.mcg sub/k0256.mcg
"$lvtool" image decode k0256.mcg sub/k0256.mcg out 2>err
check [ $? -eq 1 ]
check cmp -s in.pam out/k0256.pam
# The progress bar shows on a terminal only.
check [ "$(grep -c '2/2' err)" -eq 0 ]
if command -v script >/dev/null 2>&1; then
    script -qec "'$lvtool' image decode k0256.mcg plain.mcg out" /dev/null >tty.txt
    check grep -q '2/2' tty.txt
fi

# Bad arguments exit 2; an unreadable file exits 1 with one line.
"$lvtool" image encode in.pam x.mcg 2>/dev/null
check [ $? -eq 2 ]
"$lvtool" image encode --plain --key 5 in.pam x.mcg 2>/dev/null
check [ $? -eq 2 ]
"$lvtool" image decode --key nope in.pam x.pam 2>/dev/null
check [ $? -eq 2 ]
"$lvtool" image decode in.pam 2>/dev/null
check [ $? -eq 2 ]
"$lvtool" image info missing.mcg 2>err
check [ $? -eq 1 ]
check [ "$(wc -l <err)" -eq 1 ]
"$lvtool" image decode junk.mcg x.pam 2>err
check [ $? -eq 1 ]
check grep -q "junk.mcg" err
# PAM headers whose dimensions overflow their product, or lie about the
# data, are refused in one line before anything is allocated.
for dims in "4294967296 4294967296" "4294967297 1" "99999999999999999999999 2" "65536 65536" "-1 -1" "2 2"; do
    set -- $dims
    printf 'P7\nWIDTH %s\nHEIGHT %s\nDEPTH 4\nMAXVAL 255\nENDHDR\nxx' "$1" "$2" >huge.pam
    "$lvtool" image encode --plain huge.pam x.mcg 2>err
    code=$?
    if [ $code -ne 1 ] || [ "$(wc -l <err)" -ne 1 ]; then
        echo "FAIL: PAM of $1 x $2: exit $code, $(cat err)"
        failed=1
    fi
done
# Headers that claim a picture their data could never fill (16383 x 16383
# from a few dozen bytes) are refused in one line before anything is
# allocated, in both layouts.
patch32() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($2 & 255)) $(($2 >> 8 & 255)) $(($2 >> 16 & 255)) $(($2 >> 24 & 255)))" \
    | dd of="$1" bs=1 seek="$3" conv=notrunc status=none; }
cp k3256.mcg hugekeyed.mcg
patch32 hugekeyed.mcg 16383 16
patch32 hugekeyed.mcg 16383 20
cp plain.mcg hugeplain.mcg
patch32 hugeplain.mcg 16383 28
patch32 hugeplain.mcg 16383 32
patch32 hugeplain.mcg $((16383 * 16384 * 3)) 40
for file in hugekeyed.mcg hugeplain.mcg; do
    "$lvtool" image decode "$file" claimed.pam 2>err
    code=$?
    if [ $code -ne 1 ] || [ "$(wc -l <err)" -ne 1 ] || [ -e claimed.pam ]; then
        echo "FAIL: $file: exit $code, $(cat err)"
        failed=1
    fi
done
exit $failed
