#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Tessaro needs, when they
# are missing. Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libjpeg62-turbo-dev libtiff-dev zlib1g-dev libfreetype-dev libfontconfig-dev
  libspng-dev libwebp-dev libavif-dev libexif-dev libhwy-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n qt6-svg-dev
  fonts-nanum
  libzip-dev libpugixml-dev liblz4-dev
  libsane-dev libxcb1-dev
  python3-openpyxl python3-pil
  clang libclang-rt-14-dev
  desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  sudo apt-get update -q
  sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
