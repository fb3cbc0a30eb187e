#!/usr/bin/env bash
# Builds the benchmarks in a release tree without sanitizers (build/bench)
# and runs them; arguments go to the benchmark program
# (for example --benchmark_filter=Copy).
source "$(dirname "$0")/common.sh"

"$LUMIVEX_ROOT/scripts/install-packages.sh" native
cmake -S "$LUMIVEX_ROOT" -B "$LUMIVEX_ROOT/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLUMIVEX_SANITIZE=OFF -DLUMIVEX_FUZZERS=OFF >"$LUMIVEX_LOGS/configure-bench.log" 2>&1 \
    || die "configuring the benchmark build failed; see $LUMIVEX_LOGS/configure-bench.log"
cmake --build "$LUMIVEX_ROOT/build/bench" --target lumivex_benchmarks || die "the benchmark build failed"
exec "$LUMIVEX_ROOT/build/bench/bin/lumivex_benchmarks" "$@"
