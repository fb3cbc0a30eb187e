# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (win32 thread
# model). The product is the 32-bit host (toolchain-mingw32.cmake); this
# build runs the same tree under wine64 where a machine cannot run 32-bit
# programs. Shipped with the module kit of such a build.
set(LUMIVEX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake")

# Tests and tools run through 64-bit Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine64)
