#!/usr/bin/env bash
# The Windows program, cross-built on Debian and tested under Wine.
#   scripts/win32.sh         installs what is missing, builds build-win/skrundle.exe
#   scripts/win32.sh test    the same, then runs every test program under Wine,
#                            in a private Xvfb display (the backend's tests
#                            open real windows)
# Idempotent: packages, the sysroot (libjpeg-turbo from Debian's source
# package, GoogleTest from the sources libgtest-dev installs) and the Wine
# prefix are made once, inside the build folder.
. "$(dirname "$0")/common.sh"
build=${SKR_WIN32_BUILD:-$root/build-win}
sysroot=$build/sysroot
toolchain=$root/cmake/mingw-w64.cmake
export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# --- packages ----------------------------------------------------------------
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 nasm
          dpkg-dev cmake libgtest-dev libgmock-dev xvfb xauth)
"$root/scripts/need-packages.sh" "${packages[@]}"

# --- libjpeg-turbo, from Debian's own source package -------------------------
if [[ ! -f $sysroot/lib/libjpeg.a ]]; then
  src=$("$root/scripts/debian-source.sh" libjpeg-turbo "$build/src")
  cmake -S "$src" -B "$build/src/jpeg-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$sysroot" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR= >/dev/null
  cmake --build "$build/src/jpeg-build" -j2 --target install >/dev/null
fi

# --- GoogleTest, from the sources of libgtest-dev -----------------------------
if [[ ! -f $sysroot/lib/libgtest.a ]]; then
  cmake -S /usr/src/googletest -B "$build/src/gtest-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$sysroot" -DCMAKE_CROSSCOMPILING_EMULATOR= >/dev/null
  cmake --build "$build/src/gtest-build" -j2 --target install >/dev/null
fi

# --- the Wine prefix ---------------------------------------------------------
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w  # the prefix is complete (its registry written) once the server has gone
fi
# One server for the whole run, warmed up once: programs started while it
# starts or stops fail at random ("recvmsg: Connection reset by peer").
# (wineserver -p refuses when a server already runs, so any is stopped first.)
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
trap 'wineserver -k || true' EXIT
wine cmd /c exit >/dev/null 2>&1 || true

# --- the program -------------------------------------------------------------
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DSKR_WIN32_SYSROOT="$sysroot" >/dev/null
cmake --build "$build" -j2
echo "built $build/skrundle.exe"

if [[ ${1:-} == test ]]; then
  # The server and Wine's desktop process start afresh on the test display.
  wineserver -k || true
  wineserver -w
  trap - EXIT
  xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash -c '
    wineserver -p && { wine cmd /c exit >/dev/null 2>&1 || true; }
    ctest --test-dir "$1" --output-on-failure -j2
    rc=$?
    wineserver -k || true
    exit $rc' ctest-under-wine "$build"
fi
