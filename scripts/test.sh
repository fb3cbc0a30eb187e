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
# One Wine server for the whole run, started on the display the tests use:
# a server that stops between two tests can refuse the next test's
# connection while it shuts down.
prefix="$LUMIVEX_ROOT/build/win32/wineprefix"
win32_tests='
    LUMIVEX_WINEPREFIX="$1" "$2/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
    WINEPREFIX="$1" wineserver -w || true
    WINEPREFIX="$1" wineserver -p60 || true
    ctest --test-dir "$2/build/win32" -j "$(nproc)" --output-on-failure'
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    bash -c "$win32_tests" win32-tests "$prefix" "$LUMIVEX_ROOT" || status=1
else
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$win32_tests" win32-tests "$prefix" "$LUMIVEX_ROOT" || status=1
fi
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true

if [ $status = 0 ]; then
    echo "lumivex: all tests passed"
else
    echo "lumivex: some tests failed (see the summaries above)" >&2
fi
exit $status
