#!/usr/bin/env bash
# The run command: installs what is missing, builds the host and the sample
# game, and runs it under Wine, on the current X display when there is one,
# else on a virtual one. Saves a screenshot of the game window and prints
# its file name. Where this kernel cannot run 32-bit programs, the sample
# game of the x86-64 build runs under wine64 (LUMIVEX_WINDOWS_RUNNER=wine64
# forces that).
source "$(dirname "$0")/common.sh"
source "$LUMIVEX_ROOT/scripts/configure.sh"

"$LUMIVEX_ROOT/scripts/install-packages.sh" win32 run
choose_windows_build
build_windows "$LUMIVEX_WINDOWS_BUILD" demo

tree=$(windows_tree "$LUMIVEX_WINDOWS_BUILD")
game="$tree/game"
shot="$tree/demo-screenshot.png"
title=$(sed -n 's/^TITLE=\(.*\)\r\{0,1\}$/\1/p' "$LUMIVEX_ROOT/demo/Lumivex.ini" | head -n 1)
# A prefix of its own: the tests' prefix keeps windows from the window manager.
export LUMIVEX_WINEPREFIX="$tree/demo-wineprefix"
export LUMIVEX_WINE_ARCH="$LUMIVEX_WINDOWS_BUILD"

xvfb_pid=
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    note "no X display: running on the virtual display $DISPLAY"
fi
cleanup() {
    # Wine first, so nothing of it is left talking to a display that goes away.
    WINEPREFIX="$LUMIVEX_WINEPREFIX" wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

cd "$game"
"$LUMIVEX_ROOT/scripts/wine-run.sh" Lumivex.exe &
game_pid=$!

if window=$(timeout 60 xdotool search --sync --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1) && [ -n "$window" ]; then
    sleep 1
    if import -window "$window" "$shot" 2>"$LUMIVEX_LOGS/screenshot.log"; then
        echo "screenshot of the game window: $shot"
    else
        note "could not take the screenshot; see $LUMIVEX_LOGS/screenshot.log"
    fi
else
    note "the game window '$title' did not appear within 60 seconds"
fi

code=0
wait "$game_pid" || code=$?
echo "the game ended with exit code $code"
exit "$code"
