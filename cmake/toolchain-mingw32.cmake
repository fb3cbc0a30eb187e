# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (win32 thread model).
# Shipped with the module kit, so a game maker's own project uses the same compiler.
set(LUMIVEX_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake")

# Tests and tools run through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
