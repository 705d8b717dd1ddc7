#!/usr/bin/env bash
# Installs, with apt-get, every Debian package that building and testing need.
# Does nothing when all of them are there already.
set -euo pipefail

packages=(
    cmake g++ make pkg-config clang clang-format libclang-rt-14-dev
    libgtest-dev libbenchmark-dev libx11-dev libx11-xcb-dev libxext-dev libxss-dev libxrandr-dev libxinerama-dev
    libgdk-pixbuf-2.0-dev
    g++-mingw-w64-x86-64-posix wine wine64
    libwayland-dev wayland-protocols plasma-wayland-protocols libsystemd-dev
    xvfb xserver-xorg-core xserver-xorg-video-dummy xdotool imagemagick x11-utils x11-xserver-utils xscreensaver
    openbox icoutils
    sway swayidle swaybg weston grim mutter dbus
    valgrind util-linux procps
    dpkg-dev file lintian groff-base man-db unzip
    emscripten chromium python3-websocket
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
