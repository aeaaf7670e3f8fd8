#!/usr/bin/env bash
# The Linux program as a Debian package.
#   scripts/package.sh        builds build-pkg/skrundle_VERSION_ARCH.deb
#   scripts/package.sh test   the same, then checks it with Debian's own
#                             tools (lintian at --pedantic, appstreamcli,
#                             desktop-file-validate), installs it on this
#                             machine (apt, with its dependencies) and runs
#                             the installed program from /usr/games in a real
#                             window under a private Xvfb, and as a Wayland
#                             window there: it shows its prompt, starts a
#                             game on a click and closes with exit code 0
# The package is hardened as Debian's are, and reproducible: built again
# from the same commit it has the same bytes (every time in it is the
# commit's, SOURCE_DATE_EPOCH).
. "$(dirname "$0")/common.sh"
build=${SKR_PACKAGE_BUILD:-$root/build-pkg}
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}

scripts/deps.sh
packages=(lintian appstream)
"$root/scripts/need-packages.sh" "${packages[@]}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSKR_BENCH=OFF -DCMAKE_INSTALL_BINDIR=games >/dev/null
targets=(skrundle skr_icons skr_package_docs)
[[ ${1:-} == test ]] && targets+=(e2e_tests)
cmake --build "$build" -j2 --target "${targets[@]}"
rm -f "$build"/skrundle_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/skrundle_*.deb)
echo "built $deb"

if [[ ${1:-} == test ]]; then
  "$root/scripts/check-package.sh" "$deb"
  $sudo apt-get install -y -qq "$deb" >/dev/null
  test -x /usr/games/skrundle
  app_id=$(sed -n 's/^SKR_APP_ID:STRING=//p' "$build/CMakeCache.txt")
  desktop-file-validate "/usr/share/applications/$app_id.desktop"
  grep -qx 'Exec=skrundle' "/usr/share/applications/$app_id.desktop"
  for size in 16 24 32 48 64 128 256; do
    test -s /usr/share/icons/hicolor/${size}x${size}/apps/skrundle.png
  done
  SKRUNDLE_PROGRAM=/usr/games/skrundle "$build/tests/e2e_tests" \
    --gtest_filter='Scale/RealWindowAtScale.*:Mutter/WaylandWindowAtScale.*'
  echo "the installed package runs"
fi
