#!/usr/bin/env bash
# Runs CTest over the win32 tree with one Wine server kept for the whole
# run. Wine's service processes start with the first program of a server
# and keep its standard output open: started by a test, they would hold
# CTest's pipe open, and the test would seem to hang until its time-out.
# Arguments: the Wine prefix, then CTest's arguments.
set -uo pipefail
prefix=$1
shift
export LUMIVEX_WINEPREFIX=$prefix LUMIVEX_WINE_UNMANAGED=1
run_wine() { "$(dirname "$0")/wine-run.sh" "$@" </dev/null >/dev/null 2>&1; }
# Makes the prefix when there is none yet, with the tests' settings.
run_wine cmd /c exit 0
WINEPREFIX=$prefix wineserver -w </dev/null >/dev/null 2>&1
WINEPREFIX=$prefix wineserver -p </dev/null >/dev/null 2>&1
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true' EXIT
# The services start here, with nothing of CTest's to keep open.
run_wine cmd /c exit 0
ctest "$@"
