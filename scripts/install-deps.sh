#!/usr/bin/env bash
# Installs every Debian package Meridane needs to build, run and test. Run as root.
# Quick when everything is already present.
set -euo pipefail
PKGS=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev qt6-svg-dev qt6-qpa-plugins
  qt6-translations-l10n gettext
  libgl-dev libglx-dev libxkbcommon-dev
  libsqlcipher-dev sqlcipher libssl-dev
  libhpdf-dev
  libhidapi-dev libudev-dev
  libserialport-dev
  libgtest-dev libgmock-dev libbenchmark-dev gcovr
  libcli11-dev nlohmann-json3-dev
  postgresql postgresql-client libpq-dev
  xvfb xauth x11-utils imagemagick poppler-utils
  fonts-dejavu-core fonts-liberation fonts-wqy-microhei
  groff ghostscript
  dpkg-dev fakeroot file lintian desktop-file-utils appstream librsvg2-bin help2man xdotool
)
# The FHIR schema check's validator runs on Node. A machine that already has node with its own
# npm (another packaging of Node conflicts with Debian's npm package) keeps it.
command -v npm >/dev/null || PKGS+=(nodejs npm)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]} (run this script as root)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
