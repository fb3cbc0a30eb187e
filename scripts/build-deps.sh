#!/usr/bin/env bash
# Cross-builds the win32 dependencies from Debian's source packages into a
# cache outside the work tree, once per recipe; later runs reuse it.
# Prints the install prefix on standard output.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/deps-fetch.sh"

lock="${LUMIVEX_DEPS_LOCK:-$LUMIVEX_ROOT/scripts/deps.lock}"
toolchain="$LUMIVEX_ROOT/cmake/toolchain-mingw32.cmake"
gtest_version=$(dpkg-query -W -f='${Version}' googletest 2>/dev/null) || die "package googletest is not installed"
compiler=$(i686-w64-mingw32-g++ --version 2>/dev/null | head -n 1) || die "i686-w64-mingw32-g++ is not installed"

# The cache key covers everything that shapes the result.
key=$( { cat "$0" "$LUMIVEX_ROOT/scripts/deps-fetch.sh" "$lock" "$toolchain" "$LUMIVEX_ROOT"/scripts/patches/*; echo "$gtest_version $compiler"; } | sha256sum | cut -c1-16)
prefix="$LUMIVEX_CACHE/deps/win32-$key"
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

downloads="$LUMIVEX_CACHE/downloads"
work="$LUMIVEX_CACHE/deps/work-$key"
# Leftovers of an interrupted or failed build are never reused.
rm -rf "$LUMIVEX_CACHE/deps/work-"* "$prefix"
mkdir -p "$downloads" "$work" "$prefix"
jobs=$(nproc)

cmake_dep() {
    local name="$1"
    shift
    run_logged "dep-$name-configure" cmake -S "$src" -B "$src/_build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/i686-w64-mingw32" \
        -DBUILD_SHARED_LIBS=OFF "$@"
    run_logged "dep-$name-build" cmake --build "$src/_build" -j "$jobs"
    run_logged "dep-$name-install" cmake --install "$src/_build"
}

while read -r name version sum; do
    case "$name" in ''|'#'*) continue ;; esac
    note "building $name $version for win32"
    fetch "$name" "$version" "$sum"
    case "$name" in
        libpng1.6)
            cmake_dep "$name" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
                -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include ;;
        libjpeg-turbo)
            cmake_dep "$name" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON ;;
        libogg)
            cmake_dep "$name" -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF ;;
        libvorbis)
            cmake_dep "$name" -DOGG_INCLUDE_DIR="$prefix/include" -DOGG_LIBRARY="$prefix/lib/libogg.a" -DBUILD_TESTING=OFF ;;
        mpg123)
            (cd "$src" && run_logged "dep-$name-configure" ./configure --host=i686-w64-mingw32 --prefix="$prefix" \
                --disable-shared --enable-static --disable-components --enable-libmpg123)
            run_logged "dep-$name-build" make -C "$src" -j "$jobs"
            run_logged "dep-$name-install" make -C "$src" install ;;
        *) die "no recipe for dependency '$name'" ;;
    esac
done <"$lock"

note "building googletest $gtest_version for win32"
src="$work/googletest"
cp -r /usr/src/googletest "$src"
# The win32 thread model of this compiler has no std::mutex, which one
# helper class of googletest uses.
patch -d "$src" -p1 <"$LUMIVEX_ROOT/scripts/patches/googletest-win32-threads.patch" >/dev/null \
    || die "cannot apply scripts/patches/googletest-win32-threads.patch to googletest $gtest_version"
cmake_dep googletest -Dgtest_disable_pthreads=ON -DINSTALL_GTEST=ON

rm -rf "$work"
{ echo "compiler: $compiler"; echo "googletest: $gtest_version"; grep -v '^#' "$lock"; } >"$prefix/.complete"
echo "$prefix"
