#!/usr/bin/env bash
# The Windows dependencies were built from Debian's source packages with
# Debian's patches applied: the prefix records each package's Debian version
# and patch series, and libpng holds a function that only the patched source
# defines.
# Arguments: the dependency prefix, the target's nm.
set -u
prefix=$1
nm=$2
fail() { echo "FAIL: $*"; exit 1; }

record="$prefix/.complete"
[ -f "$record" ] || fail "no build record in $prefix"
grep -q '^libpng1.6 1.6.39-2+deb12u5 ' "$record" || fail "the record names no Debian revision of libpng1.6: $(cat "$record")"
grep -q '^  patch: CVE-2025-65018-part2.patch$' "$record" || fail "the record lists no CVE-2025-65018 patch for libpng"
grep -q '^  patch: CVE-2024-10573.patch$' "$record" || fail "the record lists no CVE-2024-10573 patch for mpg123"

# libpng's fix for CVE-2025-65018 reads interlaced 16-to-8-bit images through
# a function of its own (32-bit symbols carry a leading underscore).
"$nm" "$prefix/lib/libpng16.a" 2>/dev/null | grep -qE ' _?png_image_read_direct_scaled$' \
    || fail "libpng16.a lacks png_image_read_direct_scaled: Debian's CVE-2025-65018 patch is missing"
echo "ok: the dependencies carry Debian's patches"
