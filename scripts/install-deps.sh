#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
set -euo pipefail
PKGS=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev qt6-multimedia-dev
  libqt6sql6-sqlite libqt6opengl6-dev libgl-dev libegl-dev libxkbcommon-dev
  libsqlite3-dev libsodium-dev qt6-translations-l10n
  qt6-qpa-plugins qt6-image-formats-plugins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  fonts-dejavu-core xvfb xauth imagemagick poppler-utils
  libreoffice-writer-nogui
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
