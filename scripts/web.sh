#!/usr/bin/env bash
# The program as a web page (WebAssembly), built with Debian's emscripten.
#   scripts/web.sh          installs what is missing, builds build-web/page/
#                           (index.html, skrundle.js, skrundle.wasm, the
#                           manifest, its icons and the service worker sw.js)
#   scripts/web.sh serve    the same, then serves the page on
#                           http://127.0.0.1:8385/ until interrupted
#   scripts/web.sh test     the same, then runs the test programs under node
#                           and the page's tests in three browser engines:
#                           headless Chromium, headless Firefox ESR, and
#                           WebKitGTK's MiniBrowser in a private Xvfb (the
#                           last two with a PulseAudio server of the test's
#                           own, so their sound really plays)
# Idempotent: packages and the sysroot (libjpeg-turbo from Debian's source
# package, GoogleTest from the sources libgtest-dev installs) are made once,
# inside the build folder.
. "$(dirname "$0")/common.sh"
build=${SKR_WEB_BUILD:-$root/build-web}
sysroot=$build/sysroot
toolchain=$root/cmake/emscripten.cmake
# Debian's emscripten finds its JavaScript modules there with this node.
export NODE_PATH=/usr/share/nodejs

# --- packages ----------------------------------------------------------------
# (The build machine's compiler and libraries build the tool that draws the
# page's icons. Firefox is driven over WebDriver BiDi with Debian's build of
# the ws package.)
packages=(emscripten nodejs dpkg-dev cmake libgtest-dev libgmock-dev chromium chromium-driver
          firefox-esr node-ws webkit2gtk-driver xvfb openbox pulseaudio
          build-essential libpng-dev libjpeg62-turbo-dev pkg-config)
"$root/scripts/need-packages.sh" "${packages[@]}"

# --- libjpeg-turbo, from Debian's own source package -------------------------
# (wasm32: no SIMD; the type sizes given, the checks cannot run the target.)
if [[ ! -f $sysroot/lib/libjpeg.a ]]; then
  src=$("$root/scripts/debian-source.sh" libjpeg-turbo "$build/src")
  cmake -S "$src" -B "$build/src/jpeg-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$sysroot" -DCMAKE_INSTALL_LIBDIR="$sysroot/lib" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4 \
    >/dev/null
  cmake --build "$build/src/jpeg-build" -j2 --target install >/dev/null
fi

# --- GoogleTest, from the sources of libgtest-dev -----------------------------
if [[ ! -f $sysroot/lib/libgtest.a ]]; then
  cmake -S /usr/src/googletest -B "$build/src/gtest-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$sysroot" -DCMAKE_INSTALL_LIBDIR=lib \
    -DCMAKE_CXX_FLAGS=-fexceptions -Dgtest_disable_pthreads=ON >/dev/null
  cmake --build "$build/src/gtest-build" -j2 --target install >/dev/null
fi

# --- the page ----------------------------------------------------------------
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DSKR_WEB_SYSROOT="$sysroot" >/dev/null
cmake --build "$build" -j2
echo "built $build/page/ (index.html, skrundle.js, skrundle.wasm, manifest.webmanifest, icons, sw.js)"

case ${1:-} in
  test) ctest --test-dir "$build" --output-on-failure -j2 ;;
  serve) exec node "$root/tests/web/serve.mjs" "$build/page" 8385 ;;
esac
