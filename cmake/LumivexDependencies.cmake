# The image and sound libraries: cross-built from Debian's sources for win32
# (static, in LUMIVEX_DEPS_PREFIX), Debian's -dev packages natively.
# One interface target, lumivex_codecs, carries them all.
if(LUMIVEX_WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
  # A rebuilt dependency set lives under a new prefix: forget every search
  # result cached under the old one, or an existing tree keeps pointing there.
  if(DEFINED LUMIVEX_DEPS_PREFIX_FOUND AND NOT LUMIVEX_DEPS_PREFIX_FOUND STREQUAL LUMIVEX_DEPS_PREFIX)
    get_cmake_property(cached CACHE_VARIABLES)
    foreach(variable IN LISTS cached)
      string(FIND "${${variable}}" "${LUMIVEX_DEPS_PREFIX_FOUND}" at)
      if(at EQUAL 0)
        unset(${variable} CACHE)
      endif()
    endforeach()
  endif()
  set(LUMIVEX_DEPS_PREFIX_FOUND "${LUMIVEX_DEPS_PREFIX}" CACHE INTERNAL "The prefix the cached searches were made in")
endif()
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_path(OGG_INCLUDE_DIR ogg/ogg.h REQUIRED)
find_path(VORBIS_INCLUDE_DIR vorbis/codec.h REQUIRED)
find_path(MPG123_INCLUDE_DIR mpg123.h REQUIRED)
find_library(OGG_LIBRARY ogg REQUIRED)
find_library(VORBIS_LIBRARY vorbis REQUIRED)
find_library(VORBISFILE_LIBRARY vorbisfile REQUIRED)
find_library(MPG123_LIBRARY mpg123 REQUIRED)

add_library(lumivex_codecs INTERFACE)
target_include_directories(lumivex_codecs INTERFACE ${OGG_INCLUDE_DIR} ${VORBIS_INCLUDE_DIR} ${MPG123_INCLUDE_DIR})
target_link_libraries(lumivex_codecs INTERFACE PNG::PNG JPEG::JPEG ${VORBISFILE_LIBRARY} ${VORBIS_LIBRARY}
                                               ${OGG_LIBRARY} ${MPG123_LIBRARY} ZLIB::ZLIB)
if(LUMIVEX_WIN32)
  # Static libpng needs its own zlib statically; mpg123 needs shlwapi.
  target_link_libraries(lumivex_codecs INTERFACE shlwapi)
  target_compile_definitions(lumivex_codecs INTERFACE MPG123_NO_LARGENAME)
endif()
