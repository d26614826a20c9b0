#!/usr/bin/env bash
# Installs everything Varnet needs to build, run, test and benchmark on Debian 12.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-base-private-dev qt6-translations-l10n libgl-dev zlib1g-dev libdeflate-dev libgif-dev libxcb1-dev fonts-noto-cjk
  libgtest-dev libgmock-dev
  libpng-dev python3-pil pngcheck hyperfine time strace
  xvfb xauth xdotool imagemagick
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
