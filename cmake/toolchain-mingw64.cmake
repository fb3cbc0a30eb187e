# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (win32 thread
# model). The product is the 32-bit host (toolchain-mingw32.cmake); this
# build runs the same tree under wine64 where a machine cannot run 32-bit
# programs. Shipped with the module kit of such a build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and tools run through 64-bit Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine64)

# Installed in a module kit, the toolchain also finds the kit itself.
get_filename_component(_lumivex_kit "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(EXISTS "${_lumivex_kit}/lib/cmake/Lumivex/LumivexConfig.cmake")
  list(APPEND CMAKE_FIND_ROOT_PATH "${_lumivex_kit}")
endif()
