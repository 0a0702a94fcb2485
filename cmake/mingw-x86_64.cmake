# Cross-compiling toolchain: 64-bit Windows executables with MinGW-w64 (x86_64), run under
# Wine's 64-bit loader in a 64-bit prefix. Used for the Windows tests on hosts that cannot run
# 32-bit code.
#
# Usage:
#   cmake --preset win64            (or: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake ...)
#   ctest --preset win64            (runs every test command through Wine)
set(WIZ_MINGW_ARCH x86_64)
set(WIZ_DEFAULT_WINE /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
