#!/usr/bin/env bash
# Unpacks a Debian source package into a folder, once, and prints the path
# of the unpacked tree.
#   scripts/debian-source.sh PACKAGE FOLDER
# Adds a deb-src entry mirroring the main archive's binary entry when apt has
# none. Uses sudo only when not run as root.
set -euo pipefail
package=$1
folder=$2
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
mkdir -p "$folder"
tree=$(ls -d "$folder/$package"-*/ 2>/dev/null | head -n 1 || true)
if [[ -z $tree || ! -f $tree/CMakeLists.txt ]]; then
  if ! apt-get source --print-uris "$package" >/dev/null 2>&1; then
    uris=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    printf 'Types: deb-src\nURIs: %s\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "${uris:-http://deb.debian.org/debian}" | $sudo tee /etc/apt/sources.list.d/skrundle-src.sources >/dev/null
    $sudo apt-get update -qq
  fi
  (cd "$folder" && apt-get source -qq "$package" >/dev/null)
  tree=$(ls -d "$folder/$package"-*/ | head -n 1)
fi
echo "${tree%/}"
