#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Orbit Patrol
# needs. Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config g++ clang libclang-rt-14-dev
  qt6-base-dev libqt6opengl6-dev libqt6test6 qt6-base-dev-tools
  libqt6gui6 libpng-dev
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0 mesa-utils
  libx11-dev libx11-xcb-dev libxcb1-dev
  libsdl2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs
  nlohmann-json3-dev
  xvfb xauth xdotool x11-utils x11-apps x11-xserver-utils imagemagick fonts-dejavu-core
  qt6-wayland xwayland sway wtype grim libwayland-dev
  python3
  dpkg-dev file lintian desktop-file-utils libxml2-utils man-db groff-base
  xscreensaver xscreensaver-data xscreensaver-gl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=300 update -qq
$sudo apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}"
