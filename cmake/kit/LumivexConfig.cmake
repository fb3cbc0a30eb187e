# The Lumivex module kit: find_package(Lumivex) in a game's own project,
# configured with this kit's toolchain file:
#   cmake -S mygame -B build -DCMAKE_TOOLCHAIN_FILE=<kit>/lib/cmake/Lumivex/toolchain-mingw32.cmake
# then in its CMakeLists.txt:
#   lumivex_add_scenario_module(resident resident.cpp)
#   lumivex_add_game(mygame FOLDER ${CMAKE_BINARY_DIR}/game MODULES resident FILES Lumivex.ini)

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  file(GLOB _lumivex_toolchain "${CMAKE_CURRENT_LIST_DIR}/toolchain-*.cmake")
  message(FATAL_ERROR "Lumivex scenario modules are Windows DLLs: configure with the kit's "
                      "toolchain file (${_lumivex_toolchain})")
endif()

get_filename_component(LUMIVEX_KIT_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
include("${CMAKE_CURRENT_LIST_DIR}/LumivexConfigVersion.cmake" OPTIONAL)

if(NOT TARGET Lumivex::host)
  add_library(Lumivex::host SHARED IMPORTED)
  set_target_properties(Lumivex::host PROPERTIES
    IMPORTED_IMPLIB "${LUMIVEX_KIT_PREFIX}/lib/liblumivex.dll.a"
    IMPORTED_LOCATION "${LUMIVEX_KIT_PREFIX}/bin/lumivex.dll"
    INTERFACE_INCLUDE_DIRECTORIES "${LUMIVEX_KIT_PREFIX}/include/lumivex"
    INTERFACE_COMPILE_FEATURES cxx_std_20)
endif()

# What a game folder needs beside its modules: the executable, the host DLL,
# the compiler's runtime DLLs and the message catalogues ("Lumivex." and the
# language code, whatever the executable is called).
file(GLOB LUMIVEX_HOST_FILES "${LUMIVEX_KIT_PREFIX}/bin/*.dll" "${LUMIVEX_KIT_PREFIX}/bin/Lumivex.JP"
     "${LUMIVEX_KIT_PREFIX}/bin/Lumivex.EN")
set(LUMIVEX_HOST_EXECUTABLE "${LUMIVEX_KIT_PREFIX}/bin/Lumivex.exe")

# lumivex_add_scenario_module(<name> [UTF8_TEXT] <sources>...): builds
# <name>.dll, a scenario or resident module importing from the host.
# Sources are UTF-8; their string literals become code page 932 (Shift-JIS),
# the text of a Japanese game, unless UTF8_TEXT is given. (With the
# conversion, a source must not include <chrono> in C++20: it holds a
# character that code page 932 lacks.)
function(lumivex_add_scenario_module name)
  cmake_parse_arguments(MODULE "UTF8_TEXT" "" "" ${ARGN})
  add_library(${name} SHARED ${MODULE_UNPARSED_ARGUMENTS})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".dll" CXX_EXTENSIONS OFF)
  target_link_libraries(${name} PRIVATE Lumivex::host)
  if(NOT MODULE_UTF8_TEXT)
    target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-finput-charset=UTF-8 -fexec-charset=CP932>)
  endif()
  # One shared libgcc and libstdc++ let the host catch what a module throws.
  target_link_options(${name} PRIVATE -shared-libgcc)
endfunction()

# lumivex_add_game(<target> FOLDER <dir> [EXECUTABLE <file name>]
#                  [MODULES <module targets>...] [FILES <files>...]):
# assembles a runnable game folder: the host (its executable renamed when
# EXECUTABLE is given), the modules and the game's files.
function(lumivex_add_game target)
  cmake_parse_arguments(GAME "" "FOLDER;EXECUTABLE" "MODULES;FILES" ${ARGN})
  if(NOT GAME_FOLDER)
    message(FATAL_ERROR "lumivex_add_game(${target}): FOLDER is required")
  endif()
  if(NOT GAME_EXECUTABLE)
    set(GAME_EXECUTABLE "Lumivex.exe")
  endif()
  set(commands COMMAND ${CMAKE_COMMAND} -E make_directory "${GAME_FOLDER}"
               COMMAND ${CMAKE_COMMAND} -E copy_if_different ${LUMIVEX_HOST_FILES} "${GAME_FOLDER}"
               COMMAND ${CMAKE_COMMAND} -E copy_if_different "${LUMIVEX_HOST_EXECUTABLE}"
                       "${GAME_FOLDER}/${GAME_EXECUTABLE}")
  foreach(module IN LISTS GAME_MODULES)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different "$<TARGET_FILE:${module}>" "${GAME_FOLDER}")
  endforeach()
  foreach(file IN LISTS GAME_FILES)
    get_filename_component(file "${file}" ABSOLUTE)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different "${file}" "${GAME_FOLDER}")
  endforeach()
  add_custom_target(${target} ALL ${commands} VERBATIM)
  if(GAME_MODULES)
    add_dependencies(${target} ${GAME_MODULES})
  endif()
endfunction()
