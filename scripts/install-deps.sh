#!/usr/bin/env bash
# Installs the Debian packages Mirelune needs.
#   scripts/install-deps.sh          what building and playing need (`make run`)
#   scripts/install-deps.sh --test   that, and the test, benchmark, sanitizer, fuzzer and
#                                    packaging-check tools (`make test`)
# Packages that dpkg already knows as installed are skipped, so a second run is quick.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libimgui-dev
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libvorbis-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libfluidsynth-dev timgm6mb-soundfont
  libpng-dev
)
TEST_PACKAGES=(
  git clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev
  imagemagick xvfb x11-apps xauth xdotool
  appstream desktop-file-utils
)

case "${1:-}" in
  --test) PACKAGES+=("${TEST_PACKAGES[@]}") ;;
  "") ;;
  *) echo "usage: scripts/install-deps.sh [--test]" >&2; exit 2 ;;
esac

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
