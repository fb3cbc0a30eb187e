#!/usr/bin/env bash
# Cross-builds what the win32 benchmark program needs beyond the host's own
# dependencies: Google Benchmark and pixman (the yardstick of the blend
# kernels), with the posix thread model, into a cache outside the work tree.
# Prints the install prefix on standard output.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/deps-fetch.sh"

lock="$LUMIVEX_ROOT/scripts/bench-deps.lock"
toolchain="$LUMIVEX_ROOT/cmake/toolchain-mingw32-posix.cmake"
compiler=$(i686-w64-mingw32-g++-posix --version 2>/dev/null | head -n 1) || die "i686-w64-mingw32-g++-posix is not installed"
key=$( { cat "$0" "$LUMIVEX_ROOT/scripts/deps-fetch.sh" "$lock" "$toolchain" "$LUMIVEX_ROOT/cmake/toolchain-mingw32.cmake" "$LUMIVEX_ROOT/cmake/toolchain-mingw-common.cmake"; echo "$compiler"; } | sha256sum | cut -c1-16)
prefix="$LUMIVEX_CACHE/deps/win32-bench-$key"
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

downloads="$LUMIVEX_CACHE/downloads"
work="$LUMIVEX_CACHE/deps/bench-work-$key"
rm -rf "$LUMIVEX_CACHE/deps/bench-work-"* "$prefix"
mkdir -p "$downloads" "$work" "$prefix"
jobs=$(nproc)

while read -r name version sum; do
    case "$name" in ''|'#'*) continue ;; esac
    note "building $name $version for the win32 benchmarks"
    fetch "$name" "$version" "$sum"
    case "$name" in
        benchmark)
            run_logged "bench-dep-$name-configure" cmake -S "$src" -B "$src/_build" -G Ninja \
                -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
                -DBUILD_SHARED_LIBS=OFF -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
                -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_ENABLE_INSTALL=ON
            run_logged "bench-dep-$name-build" cmake --build "$src/_build" -j "$jobs"
            run_logged "bench-dep-$name-install" cmake --install "$src/_build" ;;
        pixman)
            (cd "$src" && run_logged "bench-dep-$name-configure" ./configure --host=i686-w64-mingw32 \
                CC=i686-w64-mingw32-gcc-posix --prefix="$prefix" --disable-shared --enable-static \
                --disable-gtk --disable-libpng --disable-openmp)
            run_logged "bench-dep-$name-build" make -C "$src/pixman" -j "$jobs"
            run_logged "bench-dep-$name-install" make -C "$src/pixman" install
            run_logged "bench-dep-$name-pc" make -C "$src" install-pkgconfigDATA ;;
        *) die "no recipe for benchmark dependency '$name'" ;;
    esac
done <"$lock"

rm -rf "$work"
{ echo "compiler: $compiler"; grep -v '^#' "$lock"; } >"$prefix/.complete"
echo "$prefix"
