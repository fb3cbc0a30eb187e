#!/usr/bin/env bash
# run-fuzzer.sh FUZZER SCRATCH SECONDS SEEDS...: runs a libFuzzer target for
# a bounded time on a scratch corpus made from the committed seeds, so that
# the work tree is never written. Any crash fails the run. The libFuzzer
# seed is LUMIVEX_FUZZ_SEED, 1 by default, so that a test run repeats the same
# search (0 picks a new one).
set -euo pipefail
fuzzer="$1" scratch="$2" seconds="$3"
shift 3
rm -rf "$scratch"
mkdir -p "$scratch/corpus" "$scratch/artifacts"
for seeds in "$@"; do
    [ -d "$seeds" ] && cp -r "$seeds"/. "$scratch/corpus/"
done
exec "$fuzzer" -seed="${LUMIVEX_FUZZ_SEED:-1}" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$scratch/artifacts/" "$scratch/corpus"
