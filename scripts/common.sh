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
