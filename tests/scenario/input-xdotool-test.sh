#!/usr/bin/env bash
# Input waits with input as a player gives it: real pointer clicks and key
# presses through the X server (xdotool), into the game running under Wine.
# Arguments: the test game folder and the wine-run script.
set -euo pipefail
game_source=$1
wine_run=$2
: "${DISPLAY:?needs an X display}"

work=$(mktemp -d)
trap 'kill "$game_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cp -r "$game_source"/. "$work"
class="LumivexXdo$$"
fail() { echo "input-xdotool-test: $*" >&2; echo "trace:" >&2; cat "$work/trace.txt" >&2 || true; exit 1; }

# Waits until the trace holds the line, then a little more, so the wait the
# line announces has begun.
reached() {
    for _ in $(seq 200); do
        grep -qx "$1" "$work/trace.txt" 2>/dev/null && { sleep 0.3; return 0; }
        sleep 0.1
    done
    fail "the game did not reach '$1'"
}

run_game() {
    printf '[setting]\r\nCLASS=%s\r\nTITLE=Lumivex Xdo\r\n[release]\r\nscenario=story.dll\r\nentry=%s\r\n' "$class" "$1" \
        > "$work/Lumivex.ini"
    rm -f "$work/trace.txt"
    (cd "$work" && LUMIVEX_MESSAGE_LOG="$(winepath -w "$work/messages.txt" 2>/dev/null || echo messages.txt)" \
        "$wine_run" Lumivex.exe) &
    game_pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Lumivex Xdo$' | head -n 1) \
        || fail "the game window did not appear"
}

finish_game() {
    for _ in $(seq 300); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    wait "$game_pid" || fail "the game ended with $?"
}

# A click wait: a right click gives 27, the space key 13, a left click 13.
run_game waitClicks
reached "wait 0"
xdotool mousemove --window "$window" 200 200 click 3
reached "wait 1"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key space
reached "wait 2"
xdotool mousemove --window "$window" 200 200 click 1
finish_game
expected=$'INIT (null)\nwait 0\ncode 27\nwait 1\ncode 13\nwait 2\ncode 13\nEXIT'
[ "$(tr -d '\r' < "$work/trace.txt")" = "$expected" ] || fail "unexpected codes in the click wait"

# A key wait: Shift alone ends nothing; the letter gives its key code.
run_game waitKeys
reached "wait 0"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key shift
xdotool key a
reached "wait 1"
xdotool key Return
finish_game
expected=$'INIT (null)\nwait 0\ncode 65\nwait 1\ncode 13\nEXIT'
[ "$(tr -d '\r' < "$work/trace.txt")" = "$expected" ] || fail "unexpected codes in the key wait"
echo "input-xdotool-test: real clicks and keys answered the waits"
