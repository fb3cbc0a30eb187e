#!/usr/bin/env bash
# Cross-builds the win32 dependencies from Debian's source packages into a
# cache outside the work tree, once per recipe; later runs reuse it.
# Prints the install prefix on standard output.
source "$(dirname "$0")/common.sh"

lock="${LUMIVEX_DEPS_LOCK:-$LUMIVEX_ROOT/scripts/deps.lock}"
toolchain="$LUMIVEX_ROOT/cmake/toolchain-mingw32.cmake"
gtest_version=$(dpkg-query -W -f='${Version}' googletest 2>/dev/null) || die "package googletest is not installed"
compiler=$(i686-w64-mingw32-g++ --version 2>/dev/null | head -n 1) || die "i686-w64-mingw32-g++ is not installed"

# The cache key covers everything that shapes the result.
key=$( { cat "$0" "$lock" "$toolchain" "$LUMIVEX_ROOT"/scripts/patches/*; echo "$gtest_version $compiler"; } | sha256sum | cut -c1-16)
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

# fetch NAME VERSION SHA256: the upstream tarball of a Debian source package,
# downloaded once and checked against the pinned checksum; extracts it into
# $work/NAME and leaves the source folder's path in $src.
fetch() {
    local name="$1" version="$2" sum="$3" tarball
    tarball=$(ls "$downloads/${name}_${version}.orig.tar."* 2>/dev/null | head -n 1 || true)
    if [ -z "$tarball" ]; then
        # apt-get may fail on an optional part (a missing upstream signature)
        # after fetching the tarball; the pinned checksum is what we trust.
        (cd "$downloads" && apt-get source --download-only -t bookworm "$name" >"$LUMIVEX_LOGS/fetch-$name.log" 2>&1) || true
        tarball=$(ls "$downloads/${name}_${version}.orig.tar."* 2>/dev/null | head -n 1 || true)
        [ -n "$tarball" ] || die "cannot fetch source package '$name' at upstream version $version (are deb-src entries in the apt sources?); see $LUMIVEX_LOGS/fetch-$name.log"
    fi
    local actual
    actual=$(sha256sum "$tarball" | cut -d' ' -f1)
    if [ "$actual" != "$sum" ]; then
        die "checksum of $(basename "$tarball") differs: expected $sum, got $actual"
    fi
    mkdir -p "$work/$name"
    tar -xf "$tarball" -C "$work/$name" --strip-components=1
    src="$work/$name"
}

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
