# Configures and builds the two build trees. Sourced by test.sh and run-demo.sh.

# build_win32 [TARGET...]: the win32 tree in build/win32 (or $LUMIVEX_WIN32_BUILD).
build_win32() {
    local dir=${LUMIVEX_WIN32_BUILD:-$LUMIVEX_ROOT/build/win32}
    local deps
    deps=$("$LUMIVEX_ROOT/scripts/build-deps.sh")
    cmake -S "$LUMIVEX_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$LUMIVEX_ROOT/cmake/toolchain-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVEX_DEPS_PREFIX="$deps" >"$LUMIVEX_LOGS/configure-win32.log" 2>&1 \
        || { tail -n 20 "$LUMIVEX_LOGS/configure-win32.log" >&2; die "configuring the win32 build failed; see $LUMIVEX_LOGS/configure-win32.log"; }
    local targets=()
    for t in "$@"; do targets+=(--target "$t"); done
    cmake --build "$dir" "${targets[@]}" || die "the win32 build failed"
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
