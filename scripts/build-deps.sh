#!/usr/bin/env bash
# Cross-builds the Windows dependencies from Debian's source packages, with
# Debian's patch series applied, into a cache outside the work tree, once per
# recipe; later runs reuse it. Prints the install prefix on standard output.
# Usage: build-deps.sh [win32|win64]   (win32 unless said)
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/deps-fetch.sh"

arch=${1:-win32}
case "$arch" in
    win32) host=i686-w64-mingw32 toolchain="$LUMIVEX_ROOT/cmake/toolchain-mingw32.cmake" ;;
    win64) host=x86_64-w64-mingw32 toolchain="$LUMIVEX_ROOT/cmake/toolchain-mingw64.cmake" ;;
    *) die "unknown Windows target '$arch' (win32 or win64)" ;;
esac
lock="${LUMIVEX_DEPS_LOCK:-$LUMIVEX_ROOT/scripts/deps.lock}"
gtest_version=$(dpkg-query -W -f='${Version}' googletest 2>/dev/null) || die "package googletest is not installed"
compiler=$($host-g++ --version 2>/dev/null | head -n 1) || die "$host-g++ is not installed"

# The cache key covers everything that shapes the result.
key=$( { cat "$0" "$LUMIVEX_ROOT/scripts/deps-fetch.sh" "$lock" "$toolchain" "$LUMIVEX_ROOT/cmake/toolchain-mingw-common.cmake" "$LUMIVEX_ROOT"/scripts/patches/*; echo "$arch $gtest_version $compiler"; } | sha256sum | cut -c1-16)
prefix="$LUMIVEX_CACHE/deps/$arch-$key"
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

downloads="$LUMIVEX_CACHE/downloads"
work="$LUMIVEX_CACHE/deps/work-$arch-$key"
# Leftovers of an interrupted or failed build are never reused.
rm -rf "$LUMIVEX_CACHE/deps/work-$arch-"* "$prefix"
mkdir -p "$downloads" "$work" "$prefix"
jobs=$(nproc)
record="$work/.record"
{ echo "target: $arch ($host)"; echo "compiler: $compiler"; echo "googletest: $gtest_version"; } >"$record"

cmake_dep() {
    local name="$1"
    shift
    run_logged "dep-$arch-$name-configure" cmake -S "$src" -B "$src/_build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/$host" \
        -DBUILD_SHARED_LIBS=OFF "$@"
    run_logged "dep-$arch-$name-build" cmake --build "$src/_build" -j "$jobs"
    run_logged "dep-$arch-$name-install" cmake --install "$src/_build"
}

while read -r name version sum; do
    case "$name" in ''|'#'*) continue ;; esac
    fetch_source_package "$name" "$version" "$sum"
    note "building $name $version for $arch; Debian patches: $(paste -sd' ' "$series" | sed 's/^$/none/')"
    { echo "$name $version $sum"; sed 's/^/  patch: /' "$series"; } >>"$record"
    case "$name" in
        libpng1.6)
            cmake_dep "$name" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
                -DZLIB_LIBRARY=/usr/$host/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$host/include ;;
        libjpeg-turbo)
            cmake_dep "$name" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON ;;
        libogg)
            cmake_dep "$name" -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF ;;
        libvorbis)
            cmake_dep "$name" -DOGG_INCLUDE_DIR="$prefix/include" -DOGG_LIBRARY="$prefix/lib/libogg.a" -DBUILD_TESTING=OFF ;;
        mpg123)
            (cd "$src" && run_logged "dep-$arch-$name-configure" ./configure --host=$host --prefix="$prefix" \
                --disable-shared --enable-static --disable-components --enable-libmpg123)
            run_logged "dep-$arch-$name-build" make -C "$src" -j "$jobs"
            run_logged "dep-$arch-$name-install" make -C "$src" install ;;
        *) die "no recipe for dependency '$name'" ;;
    esac
done <"$lock"

note "building googletest $gtest_version for $arch"
src="$work/googletest"
cp -r /usr/src/googletest "$src"
# The win32 thread model of this compiler has no std::mutex, which one
# helper class of googletest uses.
patch -d "$src" -p1 <"$LUMIVEX_ROOT/scripts/patches/googletest-win32-threads.patch" >/dev/null \
    || die "cannot apply scripts/patches/googletest-win32-threads.patch to googletest $gtest_version"
cmake_dep googletest -Dgtest_disable_pthreads=ON -DINSTALL_GTEST=ON

mv "$record" "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
