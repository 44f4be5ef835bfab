#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks what it ships: the desktop
# entry, the AppStream metadata and lintian (any error fails). The package's path is the
# last line printed. Usage: scripts/package.sh   (MERIDANE_BUILD_DIR picks the build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${MERIDANE_BUILD_DIR:-build}
scripts/build.sh >&2
rm -f "$BUILD_DIR"/meridane_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >&2)
deb=$(ls "$BUILD_DIR"/meridane_*.deb)

desktop-file-validate packaging/desktop/org.meridane.Meridane.desktop >&2
appstreamcli validate --no-net --explain "$BUILD_DIR/packaging/org.meridane.Meridane.metainfo.xml" >&2
# Warnings kept on purpose are listed in packaging/README.md.
lintian --fail-on error --info "$deb" >&2
echo "$deb"
