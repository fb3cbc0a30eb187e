# Configures and builds the two build trees. Sourced by test.sh and run-demo.sh.

# build_win32 [TARGET...]: the win32 tree in build/win32.
build_win32() {
    local deps
    deps=$("$LUMIVEX_ROOT/scripts/build-deps.sh")
    cmake -S "$LUMIVEX_ROOT" -B "$LUMIVEX_ROOT/build/win32" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$LUMIVEX_ROOT/cmake/toolchain-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVEX_DEPS_PREFIX="$deps" >"$LUMIVEX_LOGS/configure-win32.log" 2>&1 \
        || { tail -n 20 "$LUMIVEX_LOGS/configure-win32.log" >&2; die "configuring the win32 build failed; see $LUMIVEX_LOGS/configure-win32.log"; }
    local targets=()
    for t in "$@"; do targets+=(--target "$t"); done
    cmake --build "$LUMIVEX_ROOT/build/win32" "${targets[@]}" || die "the win32 build failed"
}

# build_native: the native tree in build/native (clang, sanitizers, fuzzers).
build_native() {
    CC=clang CXX=clang++ cmake -S "$LUMIVEX_ROOT" -B "$LUMIVEX_ROOT/build/native" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVEX_SANITIZE=ON -DLUMIVEX_FUZZERS=ON \
        >"$LUMIVEX_LOGS/configure-native.log" 2>&1 \
        || { tail -n 20 "$LUMIVEX_LOGS/configure-native.log" >&2; die "configuring the native build failed; see $LUMIVEX_LOGS/configure-native.log"; }
    cmake --build "$LUMIVEX_ROOT/build/native" || die "the native build failed"
}
