#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests do: a private prefix
# (LUMIVEX_WINEPREFIX, made on first use), no debug chatter, a Japanese
# locale unless LANG says otherwise, and a virtual display when there is none.
set -euo pipefail
: "${LUMIVEX_WINEPREFIX:?LUMIVEX_WINEPREFIX must name the Wine prefix}"
export WINEPREFIX="$LUMIVEX_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export LANG="${LANG:-ja_JP.UTF-8}"
[ "$LANG" = "C.UTF-8" ] && export LANG=ja_JP.UTF-8

if [ ! -f "$WINEPREFIX/.lumivex-ready-2" ]; then
    mkdir -p "$WINEPREFIX"
    # One initialisation per prefix, even when tests start side by side.
    exec 9>"$WINEPREFIX/.init-lock"
    flock 9
    if [ ! -f "$WINEPREFIX/.lumivex-ready-2" ]; then
        wineboot -i >/dev/null 2>&1 || { echo "wine-run: cannot initialise the Wine prefix $WINEPREFIX" >&2; exit 1; }
        # The tests' prefix leaves no window to a window manager: their
        # virtual display has none, and Wine would wait 2 s for one at
        # every top-level window it hides.
        if [ "${LUMIVEX_WINE_UNMANAGED:-0}" = 1 ]; then
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 \
                || { echo "wine-run: cannot configure the Wine prefix $WINEPREFIX" >&2; exit 1; }
        fi
        wineserver -w
        touch "$WINEPREFIX/.lumivex-ready-2"
    fi
    flock -u 9
fi

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
