#!/usr/bin/env bash
# Checks that the Linux program, its Debian package and skrundle.exe are
# reproducible: builds them a second time, later, from a copy of the tree
# in another folder, and compares their bytes with those the first builds
# made (scripts/package.sh and scripts/win32.sh, in build-pkg/ and
# build-win/). Fails, naming them, when any differs. The second Windows
# build reuses what the first built once for it (the Windows libraries in
# build-win/sysroot, and its Wine prefix, under which its build-time tools
# run); everything of the project is compiled again.
#   scripts/reproducible.sh
. "$(dirname "$0")/common.sh"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
version=$(sed -n 's/^project(Skrundle VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
first=("$root/build-pkg/skrundle" "$root/build-pkg/skrundle_${version}_amd64.deb" "$root/build-win/skrundle.exe")
for f in "${first[@]}"; do
  [[ -f $f ]] || { echo "scripts/reproducible.sh: $f is not built (scripts/package.sh, scripts/win32.sh)" >&2; exit 1; }
done

other=$(mktemp -d /tmp/skrundle-again-XXXXXX)
trap 'rm -rf "$other"' EXIT
mkdir "$other/src"
# The tree as it is: its files that git tracks or would (not the build
# folders), as they are now.
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
   while IFS= read -r -d '' f; do [[ -e $f ]] && printf '%s\0' "$f"; done |
   tar --null -T - -cf -) | tar -xf - -C "$other/src"
started=$(date +%s)

SKR_PACKAGE_BUILD=$other/build-pkg "$other/src/scripts/package.sh" >/dev/null
export WINEPREFIX=$root/build-win/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
trap 'wineserver -k || true; rm -rf "$other"' EXIT
cmake -S "$other/src" -B "$other/build-win" -DCMAKE_TOOLCHAIN_FILE="$other/src/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DSKR_WIN32_SYSROOT="$root/build-win/sysroot" -DSKR_TESTS=OFF -DSKR_BENCH=OFF >/dev/null
cmake --build "$other/build-win" -j2 --target skrundle >/dev/null

second=("$other/build-pkg/skrundle" "$other/build-pkg/skrundle_${version}_amd64.deb" "$other/build-win/skrundle.exe")
differ=0
for i in "${!first[@]}"; do
  a=$(sha256sum < "${first[$i]}" | cut -d' ' -f1)
  b=$(sha256sum < "${second[$i]}" | cut -d' ' -f1)
  printf '%-28s %s  %s\n' "$(basename "${first[$i]}")" "$a" "$([[ $a == "$b" ]] && echo same || echo "DIFFERENT: $b")"
  [[ $a == "$b" ]] || differ=1
done
echo "second build in $other: $(( $(date +%s) - started )) s"
if (( differ )); then
  echo "scripts/reproducible.sh: a second build of the same commit gave other bytes" >&2
  exit 1
fi
