# Cross-compiling toolchain: 32-bit Windows executables (the product) with MinGW-w64 (i686),
# run under Wine's 32-bit loader in a 32-bit prefix.
#
# Usage:
#   cmake --preset win32            (or: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake ...)
#   ctest --preset win32            (runs every test command through Wine)
set(WIZ_MINGW_ARCH i686)
set(WIZ_DEFAULT_WINE /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
