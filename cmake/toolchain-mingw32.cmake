# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (win32 thread model).
# Shipped with the module kit, so a game maker's own project uses the same compiler.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and tools run through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Installed in a module kit, the toolchain also finds the kit itself.
get_filename_component(_lumivex_kit "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(EXISTS "${_lumivex_kit}/lib/cmake/Lumivex/LumivexConfig.cmake")
  list(APPEND CMAKE_FIND_ROOT_PATH "${_lumivex_kit}")
endif()
