# The same cross compiler with the posix thread model (std::thread and
# std::mutex through winpthreads). Only the win32 benchmark program is built
# with it, statically; the host and its modules keep the win32 thread model.
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32.cmake")
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(LUMIVEX_POSIX_THREADS ON)
