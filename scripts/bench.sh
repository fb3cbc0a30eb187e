#!/usr/bin/env bash
# Builds the benchmarks in a release tree without sanitizers and runs them;
# further arguments go to the benchmark program (for example
# --benchmark_filter=Blend).
#   scripts/bench.sh [ARGS...]          native program (build/bench)
#   scripts/bench.sh --win32 [ARGS...]  the same program for Windows, run under
#                                       Wine (build/bench-win32)
source "$(dirname "$0")/common.sh"
pillow=$("$LUMIVEX_ROOT/scripts/fetch-bench-sources.sh")

if [ "${1:-}" = "--win32" ]; then
    shift
    "$LUMIVEX_ROOT/scripts/install-packages.sh" win32 run
    deps=$("$LUMIVEX_ROOT/scripts/build-deps.sh")
    bench_deps=$("$LUMIVEX_ROOT/scripts/build-bench-deps.sh")
    tree="$LUMIVEX_ROOT/build/bench-win32"
    PKG_CONFIG_LIBDIR="$bench_deps/lib/pkgconfig" cmake -S "$LUMIVEX_ROOT" -B "$tree" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$LUMIVEX_ROOT/cmake/toolchain-mingw32-posix.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DLUMIVEX_DEPS_PREFIX="$deps" -DLUMIVEX_BENCH_DEPS_PREFIX="$bench_deps" \
        -DLUMIVEX_PILLOW_SOURCE="$pillow" \
        >"$LUMIVEX_LOGS/configure-bench-win32.log" 2>&1 \
        || die "configuring the win32 benchmark build failed; see $LUMIVEX_LOGS/configure-bench-win32.log"
    cmake --build "$tree" --target lumivex_benchmarks || die "the win32 benchmark build failed"
    LUMIVEX_WINEPREFIX="$tree/wineprefix" LUMIVEX_WINE_UNMANAGED=1 exec "$LUMIVEX_ROOT/scripts/wine-run.sh" "$tree/bin/lumivex_benchmarks.exe" "$@"
fi

"$LUMIVEX_ROOT/scripts/install-packages.sh" native
cmake -S "$LUMIVEX_ROOT" -B "$LUMIVEX_ROOT/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLUMIVEX_SANITIZE=OFF -DLUMIVEX_FUZZERS=OFF -DLUMIVEX_PILLOW_SOURCE="$pillow" >"$LUMIVEX_LOGS/configure-bench.log" 2>&1 \
    || die "configuring the benchmark build failed; see $LUMIVEX_LOGS/configure-bench.log"
cmake --build "$LUMIVEX_ROOT/build/bench" --target lumivex_benchmarks || die "the benchmark build failed"
exec "$LUMIVEX_ROOT/build/bench/bin/lumivex_benchmarks" "$@"
