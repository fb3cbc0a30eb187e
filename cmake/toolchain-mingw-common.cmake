# What both Windows toolchain files share: Debian's mingw-w64 (win32 thread
# model) for LUMIVEX_MINGW_TRIPLE, which the including file sets together
# with CMAKE_SYSTEM_PROCESSOR and the Wine that runs its programs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${LUMIVEX_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${LUMIVEX_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${LUMIVEX_MINGW_TRIPLE}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMIVEX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Installed in a module kit, the toolchain also finds the kit itself.
get_filename_component(_lumivex_kit "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(EXISTS "${_lumivex_kit}/lib/cmake/Lumivex/LumivexConfig.cmake")
  list(APPEND CMAKE_FIND_ROOT_PATH "${_lumivex_kit}")
endif()
