# Compile settings shared by every target of this tree.

function(lumivex_compile_options target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wno-unused-parameter>)
  if(LUMIVEX_WIN32)
    # Windows XP and later APIs; wide-character calls throughout.
    target_compile_definitions(${target} PRIVATE _WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE NOMINMAX
                                                 WIN32_LEAN_AND_MEAN)
  endif()
  if(LUMIVEX_SANITIZE AND NOT LUMIVEX_WIN32)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=undefined
                                             -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(LUMIVEX_FUZZERS AND NOT LUMIVEX_WIN32)
    # Coverage for the fuzzers in everything they reach.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# The host's Japanese texts are code page 932 bytes written as escapes, with
# the text in a comment beside them (scripts/sjis-literal makes them): clang
# knows no execution character set but UTF-8, and the C++20 headers hold a
# literal (the micro sign of <chrono>) that code page 932 cannot express.

# libstdc++ and libgcc as DLLs: an exception thrown in a scenario module must
# unwind into the host's catch, which needs one shared unwinder and one
# shared type-info registry in the process.
function(lumivex_runtime_link_options target)
  if(LUMIVEX_WIN32)
    target_link_options(${target} PRIVATE -shared-libgcc)
  endif()
endfunction()

if(LUMIVEX_WIN32)
  set(LUMIVEX_RUNTIME_DLLS)
  # The 32-bit runtime unwinds with DWARF tables, the 64-bit one with SEH.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(libgcc libgcc_s_seh-1.dll)
  else()
    set(libgcc libgcc_s_dw2-1.dll)
  endif()
  foreach(dll libstdc++-6.dll ${libgcc})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      message(FATAL_ERROR "The compiler's runtime DLL ${dll} was not found")
    endif()
    list(APPEND LUMIVEX_RUNTIME_DLLS "${path}")
  endforeach()
  file(COPY ${LUMIVEX_RUNTIME_DLLS} DESTINATION "${CMAKE_BINARY_DIR}/bin")
endif()
