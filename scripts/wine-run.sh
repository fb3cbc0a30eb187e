#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests do: a private prefix
# (LUMIVEX_WINEPREFIX, made on first use), no debug chatter, a Japanese
# locale unless LANG says otherwise, and a virtual display when there is none.
# A 64-bit program (the x86-64 build of the tree) runs under wine64, and so
# does everything when LUMIVEX_WINE_ARCH=win64; otherwise 32-bit Wine.
set -euo pipefail
: "${LUMIVEX_WINEPREFIX:?LUMIVEX_WINEPREFIX must name the Wine prefix}"
export WINEPREFIX="$LUMIVEX_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export LANG="${LANG:-ja_JP.UTF-8}"
[ "$LANG" = "C.UTF-8" ] && export LANG=ja_JP.UTF-8

# pe_arch FILE: win64 or win32 from the machine field of a PE header.
pe_arch() {
    local pe machine
    pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 0
    [ -n "$pe" ] || return 0
    machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" 2>/dev/null | tr -d ' ') || return 0
    case "$machine" in
        8664) echo win64 ;;
        014c) echo win32 ;;
    esac
}

arch=${LUMIVEX_WINE_ARCH:-}
if [ -z "$arch" ] && [ -f "${1:-}" ]; then
    arch=$(pe_arch "$1")
fi
if [ "$arch" = win64 ]; then
    # Debian's "wine" starts the 32-bit loader whenever wine32 is installed,
    # and so do the helper commands (wineboot, reg): name the 64-bit one.
    wine=/usr/lib/wine/wine64
    [ -x "$wine" ] || { echo "wine-run: wine64 is not installed ($wine)" >&2; exit 1; }
    export WINELOADER=$wine WINEARCH=win64
else
    wine=wine
fi

if [ ! -f "$WINEPREFIX/.lumivex-ready-2" ]; then
    mkdir -p "$WINEPREFIX"
    # One initialisation per prefix, even when tests start side by side.
    exec 9>"$WINEPREFIX/.init-lock"
    flock 9
    if [ ! -f "$WINEPREFIX/.lumivex-ready-2" ]; then
        "$wine" wineboot.exe -i >/dev/null 2>&1 || { echo "wine-run: cannot initialise the Wine prefix $WINEPREFIX" >&2; exit 1; }
        # The tests' prefix leaves no window to a window manager: their
        # virtual display has none, and Wine would wait 2 s for one at
        # every top-level window it hides.
        if [ "${LUMIVEX_WINE_UNMANAGED:-0}" = 1 ]; then
            "$wine" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 \
                || { echo "wine-run: cannot configure the Wine prefix $WINEPREFIX" >&2; exit 1; }
        fi
        wineserver -w
        touch "$WINEPREFIX/.lumivex-ready-2"
    fi
    flock -u 9
fi

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$@"
fi
exec "$wine" "$@"
