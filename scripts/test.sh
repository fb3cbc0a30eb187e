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
# One Wine server serves the whole run. A test that still fails gets one
# more run; a test that fails twice fails the run.
win32_ctest=("$LUMIVEX_ROOT/scripts/win32-ctest.sh" "$LUMIVEX_ROOT/build/win32"
    -j "$(nproc)" --output-on-failure --repeat until-pass:2)
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    "${win32_ctest[@]}" || status=1
else
    xvfb-run -a -s "-screen 0 1280x1024x24" "${win32_ctest[@]}" || status=1
fi
WINEPREFIX="$LUMIVEX_ROOT/build/win32/wineprefix" wineserver -k 2>/dev/null || true

if [ $status = 0 ]; then
    echo "lumivex: all tests passed"
else
    echo "lumivex: some tests failed (see the summaries above)" >&2
fi
exit $status
