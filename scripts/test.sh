#!/usr/bin/env bash
# The test command: installs what is missing, builds the builds and runs
# every test (native under sanitizers and fuzzers, the Windows suite under
# Wine). The win32 tree always builds; its suite runs under 32-bit Wine, or,
# where this kernel cannot run 32-bit programs, from the x86-64 build of the
# same tree under wine64 (LUMIVEX_WINDOWS_RUNNER=wine64 forces that).
source "$(dirname "$0")/common.sh"
source "$LUMIVEX_ROOT/scripts/configure.sh"

"$LUMIVEX_ROOT/scripts/install-packages.sh" native win32
choose_windows_build
build_native
build_windows win32
if [ "$LUMIVEX_WINDOWS_BUILD" = win64 ]; then
    build_windows win64
fi
tree=$(windows_tree "$LUMIVEX_WINDOWS_BUILD")

status=0
echo "== native tests"
ctest --test-dir "$LUMIVEX_ROOT/build/native" -j "$(nproc)" --output-on-failure || status=1

echo "== win32 tests (Wine, $LUMIVEX_WINDOWS_BUILD build)"
# One Wine server serves the whole run. A test that still fails gets one
# more run; a test that fails twice fails the run.
windows_ctest=("$LUMIVEX_ROOT/scripts/windows-ctest.sh" "$tree"
    -j "$(nproc)" --output-on-failure --repeat until-pass:2)
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    "${windows_ctest[@]}" || status=1
else
    xvfb-run -a -s "-screen 0 1280x1024x24" "${windows_ctest[@]}" || status=1
fi
WINEPREFIX="$tree/wineprefix" wineserver -k 2>/dev/null || true

if [ $status = 0 ]; then
    echo "lumivex: all tests passed"
else
    echo "lumivex: some tests failed (see the summaries above)" >&2
fi
exit $status
