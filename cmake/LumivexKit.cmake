# The installable module kit (component "kit"), and an in-tree copy of it that
# the sample game and the test modules are built from, exactly as a game
# maker's project would be.
include(CMakePackageConfigHelpers)

# The kit carries the toolchain file of the build it comes from
# (toolchain-mingw32.cmake, or toolchain-mingw64.cmake in the x86-64 build).
get_filename_component(LUMIVEX_KIT_TOOLCHAIN "${CMAKE_TOOLCHAIN_FILE}" NAME)

install(TARGETS lumivex Lumivex
        RUNTIME DESTINATION bin COMPONENT kit
        ARCHIVE DESTINATION lib COMPONENT kit)
install(FILES ${LUMIVEX_RUNTIME_DLLS} DESTINATION bin COMPONENT kit)
# The message catalogues go beside the executable.
install(FILES ${LUMIVEX_CATALOGUES} DESTINATION bin COMPONENT kit)
foreach(folder foundation scenario startup window sound surface layer text movie)
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/${folder}/" DESTINATION include/lumivex/${folder}
          COMPONENT kit FILES_MATCHING PATTERN "*.h")
endforeach()
write_basic_package_version_file("${CMAKE_BINARY_DIR}/LumivexConfigVersion.cmake"
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES "${PROJECT_SOURCE_DIR}/cmake/kit/LumivexConfig.cmake"
              "${CMAKE_BINARY_DIR}/LumivexConfigVersion.cmake"
              "${CMAKE_TOOLCHAIN_FILE}" "${PROJECT_SOURCE_DIR}/cmake/toolchain-mingw-common.cmake"
        DESTINATION lib/cmake/Lumivex COMPONENT kit)

set(LUMIVEX_KIT_DIR "${CMAKE_BINARY_DIR}/kit")
add_custom_target(lumivex_kit ALL
  COMMAND ${CMAKE_COMMAND} --install "${CMAKE_BINARY_DIR}" --prefix "${LUMIVEX_KIT_DIR}" --component kit
  COMMENT "Installing the module kit into ${LUMIVEX_KIT_DIR}"
  VERBATIM)
add_dependencies(lumivex_kit lumivex Lumivex lang_jp lang_en)

include(ExternalProject)
# lumivex_kit_project(<name> <source dir> [cache arguments...]): a separate
# CMake project built against the in-tree kit.
function(lumivex_kit_project name source)
  ExternalProject_Add(${name}
    SOURCE_DIR "${source}"
    BINARY_DIR "${CMAKE_BINARY_DIR}/${name}"
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${LUMIVEX_KIT_DIR}/lib/cmake/Lumivex/${LUMIVEX_KIT_TOOLCHAIN}
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} ${ARGN}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    DEPENDS lumivex_kit)
endfunction()
