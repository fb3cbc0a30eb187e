#!/usr/bin/env bash
# The test command: installs what is missing, builds both builds and runs
# every test (native under sanitizers and fuzzers, win32 under Wine).
source "$(dirname "$0")/common.sh"
source "$LUMIVEX_ROOT/scripts/configure.sh"

"$LUMIVEX_ROOT/scripts/install-packages.sh" native win32
build_native
build_win32

status=0
echo "== native tests"
ctest --test-dir "$LUMIVEX_ROOT/build/native" -j "$(nproc)" --output-on-failure || status=1

echo "== win32 tests (Wine)"
# One Wine server for the whole run: a server that stops between two tests
# can refuse the next test's connection while it shuts down.
prefix="$LUMIVEX_ROOT/build/win32/wineprefix"
LUMIVEX_WINEPREFIX="$prefix" "$LUMIVEX_ROOT/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
WINEPREFIX="$prefix" wineserver -w || true
WINEPREFIX="$prefix" wineserver -p60 || true
win32_ctest=(ctest --test-dir "$LUMIVEX_ROOT/build/win32" -j "$(nproc)" --output-on-failure)
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    "${win32_ctest[@]}" || status=1
else
    xvfb-run -a -s "-screen 0 1280x1024x24" "${win32_ctest[@]}" || status=1
fi
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true

if [ $status = 0 ]; then
    echo "lumivex: all tests passed"
else
    echo "lumivex: some tests failed (see the summaries above)" >&2
fi
exit $status
