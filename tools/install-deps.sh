#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tessaroc need (only those missing).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libsdl2-dev libxext-dev libxrandr-dev libfreetype-dev libfontconfig-dev fontconfig
  fonts-liberation fonts-dejavu-core fonts-dejavu-extra
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-utils imagemagick openbox locales binutils xxd python3
  zlib1g-dev desktop-file-utils appstream dpkg-dev man-db groff-base x11-xserver-utils
  util-linux file lintian
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine wine64 zip unzip
  emscripten nodejs chromium chromium-driver python3-selenium
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
