#!/usr/bin/env bash
# Every artefact of a release, built from the commit checked out, into dist/:
#   skrundle_VERSION_amd64.deb, skrundle_VERSION_arm64.deb   the Debian packages
#   skrundle-VERSION-windows.zip   skrundle.exe, README.txt and LICENSE.txt
#   skrundle-VERSION-web.zip       the page, for any static server, and LICENSE.txt
#   SHA256SUMS                     their SHA-256 digests
# Each is built by its own script, in its own build folder (incrementally),
# and every time in them is the commit's (SOURCE_DATE_EPOCH), so a second
# run gives the same SHA256SUMS.
#   scripts/release.sh
. "$(dirname "$0")/common.sh"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
version=$(sed -n 's/^project(Skrundle VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
"$root/scripts/need-packages.sh" zip

"$root/scripts/package.sh"
"$root/scripts/cross.sh" arm64
"$root/scripts/win32.sh"
"$root/scripts/web.sh"

dist=$root/dist
rm -rf "$dist"
mkdir -p "$dist"
cp "$root/build-pkg/skrundle_${version}_amd64.deb" "$root/build-arm64/skrundle_${version}_arm64.deb" "$dist/"

# A zip of a folder's files, the same bytes every time: the commit's time
# on each file (in UTC: zip keeps local times), a fixed order, no extra
# fields (owners, Unix times).
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
reproducible_zip() {  # FOLDER ZIP
  find "$1" -exec touch --no-dereference --date="@$SOURCE_DATE_EPOCH" {} +
  (cd "$1" && find . -type f | LC_ALL=C sort | TZ=UTC zip -X -D -9 -q "$2" -@)
}
mkdir "$stage/windows" "$stage/web"
cp "$root/build-win/skrundle.exe" "$stage/windows/"
cp "$root/packaging/windows/README.txt" "$stage/windows/README.txt"
cp "$root/LICENSE" "$stage/windows/LICENSE.txt"
reproducible_zip "$stage/windows" "$dist/skrundle-$version-windows.zip"
cp -r "$root/build-web/page/." "$stage/web/"
cp "$root/LICENSE" "$stage/web/LICENSE.txt"
reproducible_zip "$stage/web" "$dist/skrundle-$version-web.zip"

(cd "$dist" && sha256sum -- *.deb *.zip > SHA256SUMS)
cat "$dist/SHA256SUMS"
echo "released $version into $dist"
