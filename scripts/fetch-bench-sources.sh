#!/usr/bin/env bash
# Unpacks the sources the benchmarks compile as yardsticks (Pillow's
# resampling core) into a cache outside the work tree, once per pinned
# version and checksum; later runs reuse the folder. Prints the folder.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/deps-fetch.sh"

name=pillow
version=9.4.0
sum=0a58ccfbd002838b32e21773bfdaa954a2de08d1f04b87b63d14e751fec3264d

folder="$LUMIVEX_CACHE/bench-sources/$name-$version"
stamp="$folder/.complete"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$sum" ]; then
    echo "$folder"
    exit 0
fi

downloads="$LUMIVEX_CACHE/downloads"
# Extract beside the final folder and move it into place whole, so that an
# interrupted run never leaves a half-filled folder that looks finished.
work="$LUMIVEX_CACHE/bench-sources/.work-$name-$version"
rm -rf "$work" "$folder"
mkdir -p "$downloads" "$work"
note "unpacking $name $version for the benchmarks"
fetch "$name" "$version" "$sum"
[ -f "$src/src/libImaging/Resample.c" ] || die "$name $version has no src/libImaging/Resample.c"
echo "$sum" >"$src/.complete"
mv "$src" "$folder"
rm -rf "$work"
echo "$folder"
