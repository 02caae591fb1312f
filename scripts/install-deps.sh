#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Packages that dpkg already knows as installed are skipped, so a second run is quick.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  libsdl2-dev libimgui-dev
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libvorbis-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libfluidsynth-dev timgm6mb-soundfont
  libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev
  imagemagick xvfb x11-apps xauth xdotool
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
