#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, run and test. Idempotent: packages
# already installed are skipped, and apt-get runs only when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-svg-dev libqt6svg6 qt6-image-formats-plugins
  qt6-translations-l10n
  libgl-dev libxkbcommon-dev
  libxlsxwriter-dev nlohmann-json3-dev poppler-utils
  libgtest-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  fonts-noto-cjk fonts-droid-fallback fonts-noto-mono
  xvfb xauth
  gdal-bin python3 python3-openpyxl
  nlohmann-json3-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
