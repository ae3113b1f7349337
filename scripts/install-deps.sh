#!/usr/bin/env bash
# Installs every distribution package the project builds, runs and tests with.
# Idempotent: prints nothing and touches nothing when all packages are present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ccache clang-format git
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev qt6-translations-l10n
  qt6-image-formats-plugins
  qt6-webengine-dev
  libsqlite3-dev
  libxlsxwriter-dev libfreexl-dev libgsf-1-dev libminizip-dev libexpat1-dev libpugixml-dev
  zlib1g-dev
  libcurl4-openssl-dev libcups2-dev
  cups printer-driver-cups-pdf
  libzint-dev
  fonts-noto-cjk fonts-wqy-microhei
  xvfb xauth
  poppler-utils
  python3 python3-openpyxl python3-xlwt python3-aiosmtpd openssl
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
