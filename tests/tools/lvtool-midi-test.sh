#!/usr/bin/env bash
# lvtool midi schedule: the schedule of a small file worked out by hand,
# Standard MIDI Files from a Debian package (openttd-openmsx, installed by
# scripts/install-packages.sh) played to their end with the schedules every
# build must print, bad arguments exit 2, unreadable files exit 1 with one
# line. Arguments: the command that runs lvtool (a Windows one through
# scripts/wine-run.sh), then the folder of the expected schedules.
set -u
inputs="$1"
shift
lvtool=("$@")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
check() { if ! "$@"; then echo "FAIL: $*"; failed=1; fi; }
# Windows programs end their lines with carriage returns.
schedule() { "${lvtool[@]}" midi schedule "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# Division 96, 120 beats a minute (0.192 ticks a millisecond, met at timer
# tick 1, song tick 3); two notes, the second by running status; the first
# ends at song tick 96 (timer tick 32: 3 + 496 * 0.192 >= 96), the song at
# 192 (timer tick 63), where the second, still held, is silenced.
header='MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60'
events='\x00\xff\x51\x03\x07\xa1\x20\x00\x90\x3c\x40\x00\x3e\x40\x60\x3c\x00\x60\xff\x2f\x00'
printf "${header}MTrk\\x00\\x00\\x00\\x15${events}" >"$scratch/song.mid"
check [ "$(schedule "$scratch/song.mid")" = "$(printf '1 00403C90\n1 00403E90\n32 00003C90\n63 00003E90')" ]

openmsx=/usr/share/games/openttd/baseset/openmsx
if [ ! -d "$openmsx" ]; then
    echo "FAIL: $openmsx is missing (Debian package openttd-openmsx, see scripts/install-packages.sh)"
    failed=1
else
    while read -r digest name; do
        [ "${digest:0:1}" = "#" ] && continue
        schedule "$openmsx/$name" >"$scratch/out"
        check [ $? -eq 0 ]
        check [ "$(sha256sum <"$scratch/out" | cut -c1-64)" = "$digest" ]
    done <"$inputs/openmsx-schedules.sha256"
fi

for args in "midi" "midi schedule" "midi play $scratch/song.mid" "midi schedule $scratch/song.mid extra"; do
    # shellcheck disable=SC2086
    "${lvtool[@]}" $args >/dev/null 2>&1
    check [ $? -eq 2 ]
done
printf 'RIFF not a song' >"$scratch/not.mid"
# Division 0: the clock never moves, so the note at tick 1 never comes.
printf "MThd\\x00\\x00\\x00\\x06\\x00\\x00\\x00\\x01\\x00\\x00MTrk\\x00\\x00\\x00\\x04\\x01\\x90\\x3c\\x40" >"$scratch/still.mid"
for file in "$scratch/missing.mid" "$scratch/not.mid" "$scratch/still.mid"; do
    "${lvtool[@]}" midi schedule "$file" >/dev/null 2>"$scratch/err"
    check [ $? -eq 1 ]
    check [ "$(wc -l <"$scratch/err")" -eq 1 ]
done
exit $failed
