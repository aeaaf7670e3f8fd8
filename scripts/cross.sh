#!/usr/bin/env bash
# The program for another CPU, cross-built with Debian's cross compilers and
# run here under qemu's user-mode emulator.
#   scripts/cross.sh arm64         installs what is missing, builds build-arm64/
#                                  and its Debian package
#                                  build-arm64/skrundle_VERSION_arm64.deb
#   scripts/cross.sh arm64 test    the same, then checks the package with
#                                  Debian's tools (scripts/check-package.sh)
#                                  and runs every test program under
#                                  qemu-aarch64, the SDL backend's and the
#                                  real program's window tests in private
#                                  Xvfb displays among them
#   scripts/cross.sh s390x test    a headless build (no SDL, no X11) for a
#                                  big-endian CPU, and its tests under
#                                  qemu-s390x: every reader and writer of the
#                                  program's little-endian formats
# Idempotent: the foreign architecture, the packages and (for s390x) the
# libraries unpacked by hand are added once.
. "$(dirname "$0")/common.sh"
arch=${1:-}
case $arch in
  arm64) triplet=aarch64-linux-gnu ;;
  s390x) triplet=s390x-linux-gnu ;;
  *) echo "usage: scripts/cross.sh arm64|s390x [test]" >&2; exit 2 ;;
esac
build=${SKR_CROSS_BUILD:-$root/build-$arch}
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}

# --- packages ----------------------------------------------------------------
# (need-packages.sh updates apt's lists before it installs anything.)
if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
  $sudo dpkg --add-architecture "$arch"
  $sudo apt-get update -qq
fi
packages=(crossbuild-essential-$arch qemu-user cmake dpkg-dev xvfb libgtest-dev:$arch libgmock-dev:$arch)
options=()
if [[ $arch == arm64 ]]; then
  packages+=(libsdl2-dev:$arch libjpeg62-turbo-dev:$arch libx11-dev:$arch libxtst-dev:$arch libpng-dev:$arch)
  # (qemu without -L: the target's loader and C library are the installed
  # arm64 ones; pairing the cross C library's loader with them hangs at the
  # first thread.)
else
  # bookworm's s390x libjpeg cannot be installed beside this machine's
  # libraries (its security archive lags for s390x), and only the cross C
  # library is installed: libjpeg is unpacked into a sysroot of the build's
  # own and linked statically, and the converters of the target's C library
  # come from its package too, for the test of the Shift-JIS table.
  sysroot=$build/sysroot
  if [[ ! -f $sysroot/usr/lib/$triplet/libjpeg.a ]]; then
    mkdir -p "$build/debs"
    (cd "$build/debs" && apt-get download -qq libjpeg62-turbo:$arch libjpeg62-turbo-dev:$arch libc6:$arch)
    for deb in "$build"/debs/*.deb; do dpkg-deb -x "$deb" "$sysroot"; done
  fi
  options+=(-DSKR_HEADLESS=ON -DSKR_CROSS_SYSROOT="$sysroot"
            -DJPEG_LIBRARY="$sysroot/usr/lib/$triplet/libjpeg.a" -DJPEG_INCLUDE_DIR="$sysroot/usr/include"
            "-DSKR_QEMU_ARGS=-L;/usr/$triplet;-E;GCONV_PATH=$sysroot/usr/lib/$triplet/gconv")
fi
"$root/scripts/need-packages.sh" "${packages[@]}"

# --- the program -------------------------------------------------------------
# (The package puts the game in /usr/games.)
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/debian-cross.cmake" -DSKR_CROSS=$triplet \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_BINDIR=games "${options[@]}" >/dev/null
cmake --build "$build" -j2
if [[ $arch == arm64 ]]; then
  rm -f "$build"/skrundle_*.deb
  (cd "$build" && cpack -G DEB >/dev/null)
  echo "built $(ls "$build"/skrundle_*.deb)"
fi

if [[ ${2:-} == test ]]; then
  if [[ $arch == arm64 ]]; then
    "$root/scripts/check-package.sh" "$(ls "$build"/skrundle_*.deb)"
  fi
  ctest --test-dir "$build" --output-on-failure -j2
fi
