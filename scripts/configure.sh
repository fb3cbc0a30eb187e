# Configures and builds the build trees. Sourced by test.sh and run-demo.sh.

# windows_tree ARCH: the folder of the Windows tree of ARCH, win32 (the
# product: build/win32 or $LUMIVEX_WIN32_BUILD) or win64 (the x86-64 build of
# the same tree for wine64: build/win64 or $LUMIVEX_WIN64_BUILD).
windows_tree() {
    case "$1" in
        win32) echo "${LUMIVEX_WIN32_BUILD:-$LUMIVEX_ROOT/build/win32}" ;;
        win64) echo "${LUMIVEX_WIN64_BUILD:-$LUMIVEX_ROOT/build/win64}" ;;
        *) die "unknown Windows build '$1'" ;;
    esac
}

# build_windows ARCH [TARGET...]: configures and builds the tree of ARCH.
build_windows() {
    local arch=$1 dir deps toolchain=toolchain-mingw32.cmake
    shift
    dir=$(windows_tree "$arch")
    [ "$arch" = win64 ] && toolchain=toolchain-mingw64.cmake
    deps=$("$LUMIVEX_ROOT/scripts/build-deps.sh" "$arch")
    cmake -S "$LUMIVEX_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$LUMIVEX_ROOT/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVEX_DEPS_PREFIX="$deps" >"$LUMIVEX_LOGS/configure-$arch.log" 2>&1 \
        || { tail -n 20 "$LUMIVEX_LOGS/configure-$arch.log" >&2; die "configuring the $arch build failed; see $LUMIVEX_LOGS/configure-$arch.log"; }
    local targets=()
    for t in "$@"; do targets+=(--target "$t"); done
    cmake --build "$dir" "${targets[@]}" || die "the $arch build failed"
}

# build_native: the native tree in build/native (or $LUMIVEX_NATIVE_BUILD;
# clang, sanitizers, fuzzers).
build_native() {
    local dir=${LUMIVEX_NATIVE_BUILD:-$LUMIVEX_ROOT/build/native}
    CC=clang CXX=clang++ cmake -S "$LUMIVEX_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVEX_SANITIZE=ON -DLUMIVEX_FUZZERS=ON \
        >"$LUMIVEX_LOGS/configure-native.log" 2>&1 \
        || { tail -n 20 "$LUMIVEX_LOGS/configure-native.log" >&2; die "configuring the native build failed; see $LUMIVEX_LOGS/configure-native.log"; }
    cmake --build "$dir" || die "the native build failed"
}
