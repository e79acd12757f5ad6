# Cross-compiles the 64-bit program, the one that runs here under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages too come from the MinGW tree alone, never the build machine's.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# CTest runs the Windows test programs through Wine's 64-bit loader.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
