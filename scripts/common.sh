# Shared helpers for the set-up scripts. Sourced, never run.
# Every failure ends in one line that says what went wrong; the full output
# of the failing step is kept in a log file whose name that line gives.

set -euo pipefail

LUMIVEX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
LUMIVEX_CACHE="${LUMIVEX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lumivex}"
LUMIVEX_LOGS="${LUMIVEX_LOGS:-$LUMIVEX_CACHE/logs}"
mkdir -p "$LUMIVEX_LOGS"

die() {
    echo "lumivex: $*" >&2
    exit 1
}

note() {
    echo "lumivex: $*" >&2
}

# run_logged NAME CMD...: runs CMD with its output in a log; on failure prints
# one line naming the step and the log, plus the log's last lines.
run_logged() {
    local name="$1"
    shift
    local log="$LUMIVEX_LOGS/$name.log"
    if ! "$@" >"$log" 2>&1; then
        echo "lumivex: step '$name' failed; full output in $log" >&2
        tail -n 15 "$log" | sed 's/^/  | /' >&2
        exit 1
    fi
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        die "need root to run: $*"
    fi
}

# choose_windows_build: which Windows build the tests and the sample game run
# from. Sets LUMIVEX_WINDOWS_BUILD to win32 (the product, under 32-bit Wine)
# or win64 (the same tree built for x86-64, under wine64, where this kernel
# cannot run 32-bit programs), prints one line saying which and why, and
# installs what win64 needs beyond win32's packages.
# LUMIVEX_WINDOWS_RUNNER=wine or wine64 forces the choice.
choose_windows_build() {
    local why
    case "${LUMIVEX_WINDOWS_RUNNER:-}" in
        wine) LUMIVEX_WINDOWS_BUILD=win32 why="Wine 32-bit (forced by LUMIVEX_WINDOWS_RUNNER=wine)" ;;
        wine64) LUMIVEX_WINDOWS_BUILD=win64
            why="forced by LUMIVEX_WINDOWS_RUNNER=wine64; running the same suite built for x86-64 under wine64" ;;
        '')
            # Wine's own 32-bit loader is the program the suite needs to run.
            local loader=/usr/lib/wine/wine out
            if [ ! -x "$loader" ]; then
                LUMIVEX_WINDOWS_BUILD=win64
                why="32-bit Wine ($loader) is not installed; running the same suite built for x86-64 under wine64"
            elif out=$("$loader" --version 2>&1); then
                LUMIVEX_WINDOWS_BUILD=win32 why="Wine 32-bit"
            elif [[ "$out" == *"Exec format error"* ]]; then
                LUMIVEX_WINDOWS_BUILD=win64
                why="this kernel cannot run 32-bit programs; running the same suite built for x86-64 under wine64"
            else
                LUMIVEX_WINDOWS_BUILD=win64
                why="32-bit Wine does not start ($(printf '%s' "$out" | head -n 1)); running the same suite built for x86-64 under wine64"
            fi ;;
        *) die "LUMIVEX_WINDOWS_RUNNER must be wine or wine64, not '$LUMIVEX_WINDOWS_RUNNER'" ;;
    esac
    export LUMIVEX_WINDOWS_BUILD
    echo "win32 tests: $why"
    if [ "$LUMIVEX_WINDOWS_BUILD" = win64 ]; then
        "$LUMIVEX_ROOT/scripts/install-packages.sh" win64
    fi
}
