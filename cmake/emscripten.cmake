# Builds the program and its tests as WebAssembly with Debian's emscripten.
# Programs built here run on this machine under node, which CMake uses for
# build-time tools and CTest; the page itself runs in a browser.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# Libraries come from emscripten's own sysroot and from the one that
# scripts/web.sh builds inside the build folder (libjpeg-turbo, GoogleTest).
set(SKR_WEB_SYSROOT "${CMAKE_BINARY_DIR}/sysroot" CACHE PATH "Libraries built for WebAssembly")
list(APPEND CMAKE_FIND_ROOT_PATH ${SKR_WEB_SYSROOT})

# node 20 would load the emitted program's WebAssembly with fetch(), which
# does not read local files; without it the program reads them from disk.
if(NOT DEFINED SKR_NODE)
  find_program(SKR_NODE NAMES node nodejs REQUIRED)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR env NODE_OPTIONS=--no-experimental-fetch ${SKR_NODE} CACHE STRING
    "How programs built here are run" FORCE)

# Debian's emscripten runs node for its JavaScript passes, and finds their
# modules (acorn) there.
foreach(lang C CXX)
  set(CMAKE_${lang}_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
  set(CMAKE_${lang}_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
endforeach()
