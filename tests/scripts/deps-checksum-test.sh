#!/usr/bin/env bash
# A tarball whose checksum differs from the pinned one stops the dependency
# build with one line that says so, before anything is extracted or built.
set -u
root="$(cd "$(dirname "$0")/../.." && pwd)"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

mkdir -p "$scratch/cache/downloads"
echo "not the real libogg" >"$scratch/cache/downloads/libogg_1.3.5.orig.tar.xz"
echo "libogg 1.3.5 c4d91be36fc8e54deae7575241e03f4211eb102afb3fc0775fbbc1b740016705" >"$scratch/lock"

output=$(LUMIVEX_CACHE="$scratch/cache" LUMIVEX_DEPS_LOCK="$scratch/lock" "$root/scripts/build-deps.sh" 2>&1)
status=$?
if [ $status -eq 0 ]; then
    echo "FAIL: build-deps.sh accepted a tarball with the wrong checksum"
    exit 1
fi
lines=$(printf '%s\n' "$output" | grep -v '^lumivex: building ' | grep -c .)
if [ "$lines" -ne 1 ] || ! printf '%s\n' "$output" | grep -q 'checksum of libogg_1.3.5.orig.tar.xz differs'; then
    echo "FAIL: expected one line about the checksum, got:"
    printf '%s\n' "$output"
    exit 1
fi
echo "ok: $output"
