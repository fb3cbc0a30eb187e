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
    # A search walks every window of the display, and xdotool exits when
    # one of them (another test's) is destroyed under it: search again.
    window=
    for _ in $(seq 300); do
        window=$(xdotool search --onlyvisible --name '^Lumivex Xdo$' 2>/dev/null | head -n 1) || true
        [ -n "$window" ] && break
        sleep 0.2
    done
    [ -n "$window" ] || fail "the game window did not appear"
}

finish_game() {
    for _ in $(seq 300); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$game_pid" 2>/dev/null && fail "the game did not end"
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

# A quick double click answers two waits: the second press, which Windows
# gives double-click windows as a double click, is a click too.
run_game waitClicks
reached "wait 0"
xdotool mousemove --window "$window" 200 200 click --repeat 2 --delay 150 1
reached "wait 2"
xdotool mousemove --window "$window" 200 200 click 3
finish_game
expected=$'INIT (null)\nwait 0\ncode 13\nwait 1\ncode 13\nwait 2\ncode 27\nEXIT'
[ "$(tr -d '\r' < "$work/trace.txt")" = "$expected" ] || fail "a double click did not answer two waits"

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
# A press on a draggable panel that moves by more than 2 pixels moves the
# panel and answers nothing; the move counts from where the pointer crossed
# the threshold (or from the press, had the 400 ms timer come first). A
# click on the plain panel answers the wait; a quick click on the draggable
# one answers when released and leaves it in place.
run_game dragPanel
reached "wait 0"
read -r panel_x panel_y < <(sed -n 's/^panel \([0-9-]*\) \([0-9-]*\)\r*$/\1 \2/p' "$work/trace.txt")
read -r plain_x plain_y < <(sed -n 's/^plain \([0-9-]*\) \([0-9-]*\)\r*$/\1 \2/p' "$work/trace.txt")
[ -n "${panel_x:-}" ] && [ -n "${plain_x:-}" ] || fail "the panels' places are not in the trace"
x=$((panel_x + 30)) y=$((panel_y + 30))
timeout 10 xdotool mousemove "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2 mousemove $((x + 5)) "$y" sleep 0.4 \
    mousemove $((x + 25)) $((y + 20)) sleep 0.4 mouseup 1 sleep 0.3 || fail "xdotool could not drag"
timeout 10 xdotool mousemove $((plain_x + 30)) $((plain_y + 30)) sleep 0.2 click 1 || fail "xdotool could not click"
reached "wait 1"
timeout 10 xdotool mousemove $((panel_x + 50)) $((panel_y + 50)) sleep 0.2 click 1 || fail "xdotool could not click"
finish_game
moved=$(tr -d '\r' < "$work/trace.txt" | grep '^code ')
case "$moved" in
$'code 1 at 30 40\ncode 1 at 30 40' | $'code 1 at 35 40\ncode 1 at 35 40') ;;
*) fail "the drag did not move the panel as expected" ;;
esac

# The run ends while the player holds the panel in a move: the move ends
# (as cancelled: the panel stays) and the game closes with the button
# still down.
run_game dragWhileEnding
reached "wait 0"
read -r panel_x panel_y < <(sed -n 's/^panel \([0-9-]*\) \([0-9-]*\)\r*$/\1 \2/p' "$work/trace.txt")
[ -n "${panel_x:-}" ] || fail "the panel's place is not in the trace"
timeout 10 xdotool mousemove $((panel_x + 30)) $((panel_y + 30)) sleep 0.2 mousedown 1 sleep 0.2 \
    mousemove $((panel_x + 40)) $((panel_y + 30)) sleep 0.4 mousemove $((panel_x + 50)) $((panel_y + 40)) \
    || fail "xdotool could not drag"
for _ in $(seq 100); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
held_to_the_end=$(kill -0 "$game_pid" 2>/dev/null && echo no || echo yes)
xdotool mouseup 1
finish_game
[ "$held_to_the_end" = yes ] || fail "the game did not end during the move"
[ "$(tr -d '\r' < "$work/trace.txt" | tail -n 3)" = $'code 258 at 10 20\nbusy 1\nEXIT' ] \
    || fail "the run did not end during the move"

echo "input-xdotool-test: real clicks and keys answered the waits"
