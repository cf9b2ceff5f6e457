#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
set -euo pipefail
PKGS=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev qt6-multimedia-dev
  libqt6sql6-sqlite libqt6opengl6-dev libgl-dev libegl-dev libxkbcommon-dev
  libsqlite3-dev libsodium-dev zlib1g-dev qt6-translations-l10n mdbtools-dev
  qt6-qpa-plugins qt6-image-formats-plugins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  fonts-dejavu-core xvfb xauth imagemagick xdotool locales poppler-utils
  libreoffice-writer libreoffice-l10n-pt-br hunspell-pt-br fonts-liberation2
  libqt6sql6-psql libpq-dev postgresql
)
# Machine locales the tests run the program under (its formats must not follow them).
LOCALES=(en_US.UTF-8 pt_BR.UTF-8)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
have="$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')"
generate=0
for l in "${LOCALES[@]}"; do
  want="$(echo "$l" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')"
  grep -qx "$want" <<<"$have" && continue
  $SUDO sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
  generate=1
done
[ "$generate" -eq 0 ] || $SUDO locale-gen
