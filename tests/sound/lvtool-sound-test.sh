#!/usr/bin/env bash
# lvtool sound: decodes files made by independent encoders (sox, lame,
# oggenc) and the Ogg Vorbis sounds of Debian's sound-theme-freedesktop,
# and compares the blocks with what the reference decoders of the same
# formats give (sox, mpg123, oggdec). Also the command's types, exit codes
# and one-line failures.
# Arguments: LVTOOL [WINE-RUN [NATIVE-LVTOOL]]: lvtool, or lvtool.exe with
# the script that runs it under Wine and, when it exists, the native lvtool
# whose decoding of the theme's sounds the Windows one is compared with.
#
# Tolerances: PCM, IMA ADPCM and (natively) MP3 must match to the bit.
# oggdec rounds sample * 32768 where the host truncates sample * 32767, so
# Vorbis may differ by 2. A Windows build decodes MP3 and Vorbis through its
# own build of libmpg123 and libvorbis, whose float paths (and mpg123's
# choice of synthesis routine) differ from Debian's: there MP3 and Vorbis
# may differ by LUMIVEX_FLOAT_TOLERANCE (default 2 more).
set -u
lvtool="$1"
runner="${2:-}"
native="${3:-}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
check() { if ! "$@"; then fail "$*"; fi; }
float_extra=0
[ -n "$runner" ] && float_extra=${LUMIVEX_FLOAT_TOLERANCE:-2}

for tool in sox lame oggenc oggdec mpg123; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-packages.sh native)"; exit 1; }
done

native_path() { if [ -n "$runner" ]; then echo "Z:${1//\//\\}"; else echo "$1"; fi; }
lv() {
    # Paths as the program sees them; wine's own chatter is not the tool's.
    local args=() a
    for a in "$@"; do
        case "$a" in /*) args+=("$(native_path "$a")") ;; *) args+=("$a") ;; esac
    done
    if [ -n "$runner" ]; then "$runner" "$lvtool" "${args[@]}"; else "$lvtool" "${args[@]}"; fi
}

# compare OURS REF TOLERANCE MODE REF_CHANNELS REPEAT: OURS (blocks of
# 2048 stereo frames) against REF (raw 16-bit little-endian, REF_CHANNELS
# channels, each frame repeated REPEAT times, mono to both sides). MODE
# padded: every reference frame, then zeros to the end of the last block;
# prefix: the whole blocks of the reference only (the decoder drops the
# last, incomplete one).
compare() {
    local ours=$1 ref=$2 tolerance=$3 mode=$4 channels=$5 repeat=$6
    awk -v tol="$tolerance" -v mode="$mode" -v ch="$channels" -v rep="$repeat" -v ours="$ours" '
        { v = $1 + 0; if (ch == 1) { for (r = 0; r < rep; r++) { e[n++] = v; e[n++] = v } }
          else { frame[k++] = v; if (k == 2) { for (r = 0; r < rep; r++) { e[n++] = frame[0]; e[n++] = frame[1] } k = 0 } } }
        END {
            want = mode == "padded" ? int((n + 4095) / 4096) * 4096 : int(n / 4096) * 4096
            cmd = "od -An -v -td2 -w2 " ours; got = 0; worst = 0; bad = 0
            while ((cmd | getline line) > 0) {
                v = line + 0; x = got < n ? e[got] : 0; d = v > x ? v - x : x - v
                if (d > worst) worst = d
                if (d > tol) bad++
                got++
            }
            if (got != want) { printf "%s: %d samples, expected %d (reference %d)\n", ours, got, want, n; exit 1 }
            if (bad) { printf "%s: %d samples differ by more than %d (worst %d)\n", ours, bad, tol, worst; exit 1 }
        }' < <(od -An -v -td2 -w2 "$ref")
}

decode() { lv sound decode "$1" "$2" || fail "lvtool sound decode $1"; }

# PCM and IMA ADPCM made by sox, against sox's own decoding.
sox -n -r 44100 -c 2 -b 16 "$scratch/tone.wav" synth 2.3 sine 440 sine 660 vol 0.7
for layout in "16 1 11025 -b16" "8 2 22050 -b8" "16 2 44100 -b16" "ima 1 44100 -eima-adpcm" "ima 2 44100 -eima-adpcm" \
            "ima 1 22050 -eima-adpcm" "ima 2 11025 -eima-adpcm"; do
    set -- $layout
    f="$scratch/wave-$1-$2-$3.wav"
    sox "$scratch/tone.wav" -r "$3" -c "$2" "$4" "$f"
    sox "$f" -t raw -e signed -b 16 -L "$f.ref"
    decode "$f" "$f.raw"
    check compare "$f.raw" "$f.ref" 0 padded "$2" $((44100 / $3))
done

# MP3 by lame. The host recognises MP3 by a first frame at 128 kbit/s and
# 44.1 kHz with the padding bit set, so the stream is cut to start at such a
# frame (lame's first frame has none). No gapless trimming in either decoder.
padded_from() {
    local in=$1 out=$2 at=0 b size
    size=$(stat -c %s "$in")
    while [ $at -lt $size ]; do
        b=$(od -An -tu1 -j $((at + 2)) -N1 "$in" | tr -d ' ')
        if [ $(((b >> 1) & 1)) = 1 ]; then
            tail -c +$((at + 1)) "$in" >"$out"
            return 0
        fi
        at=$((at + 417))
    done
    return 1
}
lame --quiet -b 128 --cbr -t "$scratch/tone.wav" "$scratch/lame.mp3"
check padded_from "$scratch/lame.mp3" "$scratch/tone.mp3"
check [ "$(lv sound info "$scratch/tone.mp3" | tr -d '\r')" = "type=2" ]
mpg123 -q --no-gapless -e s16 -s "$scratch/tone.mp3" >"$scratch/tone.mp3.ref" 2>/dev/null
decode "$scratch/tone.mp3" "$scratch/tone.mp3.raw"
check compare "$scratch/tone.mp3.raw" "$scratch/tone.mp3.ref" "$float_extra" prefix 2 1

# Ogg Vorbis by oggenc, mono and stereo.
for channels in 1 2; do
    f="$scratch/tone-$channels.ogg"
    sox "$scratch/tone.wav" -c $channels "$scratch/tone-$channels.wav"
    oggenc -Q -q 3 "$scratch/tone-$channels.wav" -o "$f"
    oggdec -Q -R -o "$f.ref" "$f"
    decode "$f" "$f.raw"
    check compare "$f.raw" "$f.ref" $((2 + float_extra)) padded $channels 1
done

# Sounds no one here wrote (links in the theme are left to their targets).
theme=/usr/share/sounds/freedesktop/stereo
count=0
for f in "$theme"/*.oga; do
    [ -L "$f" ] && continue
    name=$(basename "$f" .oga)
    check [ "$(lv sound info "$f" | tr -d '\r')" = "type=4" ]
    oggdec -Q -R -o "$scratch/$name.ref" "$f"
    decode "$f" "$scratch/$name.raw"
    check compare "$scratch/$name.raw" "$scratch/$name.ref" $((2 + float_extra)) padded "$(soxi -c "$f")" 1
    if [ -n "$runner" ] && [ -x "$native" ]; then
        "$native" sound decode "$f" "$scratch/$name.native" || fail "native lvtool sound decode $f"
        check compare "$scratch/$name.raw" "$scratch/$name.native" "$float_extra" padded 2 1
    fi
    count=$((count + 1))
done
[ -z "$runner" ] || [ -x "$native" ] || echo "note: no native lvtool at '$native'; the Windows decoding is compared with oggdec only"
[ $count -ge 20 ] || fail "only $count sounds in $theme (sound-theme-freedesktop installed?)"

# The command itself: types, exit codes, one line on failure.
printf '\x30\x26\xb2\x75\x8e\x66\xcf\x11' >"$scratch/a.wma"
head -c 5000 /dev/urandom >"$scratch/noise.bin"
printf 'RIFF\x04\x00\x00\x00WAVEfmt ' >"$scratch/cut.wav"
check [ "$(lv sound info "$scratch/a.wma" | tr -d '\r')" = "type=3" ]
check [ "$(lv sound info "$scratch/missing.wav" | tr -d '\r')" = "type=-2" ]
check [ "$(lv sound info "$scratch/cut.wav" | tr -d '\r')" = "type=-1" ]
check [ "$(lv sound info "$scratch/wave-ima-2-44100.wav" | tr -d '\r')" = "type=1" ]
for bad in missing.wav noise.bin a.wma cut.wav; do
    lv sound decode "$scratch/$bad" "$scratch/x.raw" 2>"$scratch/err" >/dev/null
    check [ $? -eq 1 ]
    check [ "$(grep -c . "$scratch/err")" -eq 1 ]
done
lv sound decode "$scratch/tone.wav" 2>/dev/null
check [ $? -eq 2 ]
lv sound play "$scratch/tone.wav" 2>/dev/null
check [ $? -eq 2 ]
exit $failed
