# Cross-builds the program and its tests for 64-bit Windows with Debian's
# mingw-w64 (the -posix compilers: the -win32 ones lack std::mutex and
# std::thread). Programs built here run on this machine under Wine, which
# CMake uses for build-time tools and CTest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SKR_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SKR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SKR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${SKR_MINGW}-windres)

# Libraries come from the compiler's own tree and from the sysroot that
# scripts/win32.sh builds inside the build folder (libjpeg-turbo, GoogleTest).
set(SKR_WIN32_SYSROOT "${CMAKE_BINARY_DIR}/sysroot" CACHE PATH "Cross-built libraries for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/${SKR_MINGW} ${SKR_WIN32_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: no libstdc++ or libgcc DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Release programs carry no symbol tables (about 1 MB of the executable).
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Wine runs what is built, in a 64-bit prefix of the build folder's own
# (through a wrapper that starts a program again when Wine failed to start it).
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEARCH=win64 WINEDEBUG=-all
                                    WINEDLLOVERRIDES=mscoree,mshtml= ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
endif()
