# Shared part of the MinGW-w64 toolchain files; they set WIZ_MINGW_ARCH (i686 or x86_64) and
# the Wine loader that runs their executables before including it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${WIZ_MINGW_ARCH})

# The -posix compiler variants are needed for std::thread.
set(CMAKE_C_COMPILER ${WIZ_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${WIZ_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${WIZ_MINGW_ARCH}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${WIZ_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The runtime is linked statically, so the executables import only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs every test command through this Wine loader. The loader is named directly (not
# the `wine` wrapper, which always prefers the 32-bit loader), so a 64-bit build runs on hosts
# that cannot execute 32-bit code at all. Building never runs it.
set(WIZ_WINE "${WIZ_DEFAULT_WINE}" CACHE FILEPATH "Wine loader that runs the Windows executables")
set(CMAKE_CROSSCOMPILING_EMULATOR ${WIZ_WINE})
