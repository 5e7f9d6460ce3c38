#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test slipprint.
# Idempotent: when every package is already present it does nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6opengl6-dev
  libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk qt6-translations-l10n
  libfreexl-dev libxlsxwriter-dev libzip-dev libexpat1-dev zlib1g-dev libsqlcipher-dev
  python3 python3-openpyxl python3-xlwt python3-xlrd
  sqlite3
  zbar-tools poppler-utils
  cups cups-client cups-filters printer-driver-cups-pdf libcups2-dev
  xvfb xauth
  gdb
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

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
