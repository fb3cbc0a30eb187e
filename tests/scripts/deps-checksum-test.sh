#!/usr/bin/env bash
# A source package whose files differ from the pinned ones stops the
# dependency build with one line that says so, before anything is unpacked
# or built: a .dsc whose checksum is not the pinned one, and a tarball whose
# checksum is not the one its (pinned) .dsc gives.
set -u
root="$(cd "$(dirname "$0")/../.." && pwd)"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0

# expect_one_line NAME EXPECTED_TEXT: runs the build over $scratch/NAME.
expect_one_line() {
    local name=$1 text=$2 output code lines
    output=$(LUMIVEX_CACHE="$scratch/$name/cache" LUMIVEX_DEPS_LOCK="$scratch/$name/lock" "$root/scripts/build-deps.sh" win32 2>&1)
    code=$?
    lines=$(printf '%s\n' "$output" | grep -c .)
    if [ $code -eq 0 ]; then
        echo "FAIL ($name): build-deps.sh accepted it"
        status=1
    elif [ "$lines" -ne 1 ] || ! printf '%s\n' "$output" | grep -qF "$text"; then
        echo "FAIL ($name): expected one line with '$text', got:"
        printf '%s\n' "$output"
        status=1
    else
        echo "ok ($name): $output"
    fi
}

# A .dsc other than the pinned one.
mkdir -p "$scratch/dsc/cache/downloads"
echo "not the real libogg .dsc" >"$scratch/dsc/cache/downloads/libogg_1.3.5-3.dsc"
echo "libogg 1.3.5-3 dd0bac7c6961f95290250f82940aba93582edc3924372afc8fd310af5db995a0" >"$scratch/dsc/lock"
expect_one_line dsc "checksum of libogg_1.3.5-3.dsc differs"

# The pinned .dsc, but a tarball other than the one it names.
downloads="$scratch/tarball/cache/downloads"
mkdir -p "$downloads"
echo "not the real libogg tarball" >"$downloads/libogg_1.3.5.orig.tar.xz"
cat >"$downloads/libogg_1.3.5-3.dsc" <<'DSC'
Format: 3.0 (quilt)
Source: libogg
Version: 1.3.5-3
Checksums-Sha256:
 c4d91be36fc8e54deae7575241e03f4211eb102afb3fc0775fbbc1b740016705 429076 libogg_1.3.5.orig.tar.xz
DSC
echo "libogg 1.3.5-3 $(sha256sum "$downloads/libogg_1.3.5-3.dsc" | cut -d' ' -f1)" >"$scratch/tarball/lock"
expect_one_line tarball "checksum of libogg_1.3.5.orig.tar.xz differs from its .dsc"
exit $status
