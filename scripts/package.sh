#!/usr/bin/env bash
# The Linux program as a Debian package.
#   scripts/package.sh        builds build-pkg/skrundle_VERSION_ARCH.deb
#   scripts/package.sh test   the same, then installs the package on this
#                             machine (apt, with its dependencies), checks its
#                             desktop entry and icons, and runs the installed
#                             program in a real window under a private Xvfb:
#                             it shows its prompt, starts a game on a click
#                             and closes with exit code 0
. "$(dirname "$0")/common.sh"
build=${SKR_PACKAGE_BUILD:-$root/build-pkg}

scripts/deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSKR_BENCH=OFF >/dev/null
targets=(skrundle skr_icons)
[[ ${1:-} == test ]] && targets+=(e2e_tests)
cmake --build "$build" -j2 --target "${targets[@]}"
rm -f "$build"/skrundle_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/skrundle_*.deb)
echo "built $deb"

if [[ ${1:-} == test ]]; then
  dpkg-deb --field "$deb" Package Version Depends
  $sudo apt-get install -y -qq "$deb" >/dev/null
  test -x /usr/bin/skrundle
  desktop-file-validate /usr/share/applications/skrundle.desktop
  for size in 16 24 32 48 64 128 256; do
    test -s /usr/share/icons/hicolor/${size}x${size}/apps/skrundle.png
  done
  SKRUNDLE_PROGRAM=/usr/bin/skrundle "$build/tests/e2e_tests" \
    --gtest_filter='Scale/RealWindowAtScale.*:Mutter/WaylandWindowAtScale.*'
  echo "the installed package runs"
fi
