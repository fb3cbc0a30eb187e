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
endfunction()

# Sources that hold the host's Japanese texts: written in UTF-8, their string
# literals become code page 932 bytes, the text code page of a Japanese game.
# Only these files: the C++20 library headers hold a literal (the micro sign
# of <chrono>) that code page 932 cannot express.
function(lumivex_shift_jis_sources)
  # Source properties are seen by targets of the directory that sets them:
  # the host and portable targets live in the top directory.
  set_property(SOURCE ${ARGN} DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY COMPILE_OPTIONS
               -finput-charset=UTF-8 -fexec-charset=CP932)
endfunction()

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
  foreach(dll libstdc++-6.dll libgcc_s_dw2-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      message(FATAL_ERROR "The compiler's runtime DLL ${dll} was not found")
    endif()
    list(APPEND LUMIVEX_RUNTIME_DLLS "${path}")
  endforeach()
  file(COPY ${LUMIVEX_RUNTIME_DLLS} DESTINATION "${CMAKE_BINARY_DIR}/bin")
endif()
