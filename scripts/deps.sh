#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, if any
# are missing. Uses sudo only when not run as root.
set -euo pipefail
# (The Wayland checks: GNOME's compositor nested in Xvfb, with its session
# bus; sway headless, read with grim and pressed through wayvnc; Mesa's EGL
# and the frame library SDL draws captions with.)
packages=(build-essential cmake pkg-config libsdl2-dev libjpeg62-turbo-dev libpng-dev
          libgtest-dev libgmock-dev libbenchmark-dev libx11-dev libxtst-dev libxdamage-dev clang libclang-rt-14-dev
          xvfb openbox imagemagick desktop-file-utils dpkg-dev
          mutter dbus-daemon sway wayvnc grim libegl-mesa0 libdecor-0-plugin-1-cairo)
exec "$(dirname "$0")/need-packages.sh" "${packages[@]}"
