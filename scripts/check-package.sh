#!/usr/bin/env bash
# Checks a Debian package of the game with Debian's own tools: lintian at
# --pedantic (no error, no warning; the notes it keeps are said below), its
# AppStream entry with appstreamcli (pedantic, offline), its desktop entry
# with desktop-file-validate, and its manual page rendered by man.
#   scripts/check-package.sh PACKAGE.deb
. "$(dirname "$0")/common.sh"
deb=${1:?usage: scripts/check-package.sh PACKAGE.deb}
deb=$(realpath "$deb")
"$root/scripts/need-packages.sh" lintian appstream desktop-file-utils man-db
# Kept notes: none. (Lintian's own, not the package's: a package built
# without a source package has no .changes or .dsc to check.)
report=$(lintian --pedantic --info "$deb" 2>&1 || true)
echo "$report"
if grep -qE '^[EW]: ' <<<"$report"; then
  echo "scripts/check-package.sh: lintian finds errors or warnings in $deb" >&2
  exit 1
fi
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
appstreamcli validate --pedantic --no-net --explain "$tree"/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$tree"/usr/share/applications/*.desktop
MANWIDTH=80 man -l "$tree/usr/share/man/man6/skrundle.6.gz" >/dev/null
echo "$(basename "$deb"): lintian, appstreamcli and desktop-file-validate accept it"
