#!/usr/bin/env bash
# Runs CTest over a Windows build tree (win32, or the x86-64 fallback win64)
# with one Wine server kept for the whole run. Wine's helper processes
# (services, the desktop, the RPC server) start with the first program that
# needs them and inherit its standard output: started by a test, they would
# hold CTest's pipe open and the test would seem to hang until its time-out.
# So they start here, with nothing of CTest's to hold.
# Arguments: the build tree, then CTest's arguments.
set -uo pipefail
build=$(cd "$1" && pwd) || exit 1
shift
prefix="$build/wineprefix"
export LUMIVEX_WINEPREFIX=$prefix LUMIVEX_WINE_UNMANAGED=1
# The tree says which Wine serves it.
arch=$(sed -n 's/^LUMIVEX_WINDOWS_ARCH:INTERNAL=//p' "$build/CMakeCache.txt" 2>/dev/null)
[ -n "$arch" ] || { echo "lumivex: $build is not a configured Windows build tree" >&2; exit 1; }
export LUMIVEX_WINE_ARCH=$arch
run_wine() { "$(dirname "$0")/wine-run.sh" "$@" </dev/null >/dev/null 2>&1; }
# Makes the prefix when there is none yet, with the tests' settings; then
# a server of this run's own, whatever an earlier run left behind.
run_wine cmd /c exit 0 || { echo "lumivex: cannot start Wine ($arch) with the prefix $prefix" >&2; exit 1; }
WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1
WINEPREFIX=$prefix wineserver -w </dev/null >/dev/null 2>&1
WINEPREFIX=$prefix wineserver -p </dev/null >/dev/null 2>&1
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true' EXIT
# The test program starts every helper the tests need.
run_wine "$build/bin/lumivex_tests.exe" --gtest_list_tests
ctest --test-dir "$build" "$@"
