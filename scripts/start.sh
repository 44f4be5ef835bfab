#!/usr/bin/env bash
# Sets up a fresh machine (packages), builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then scripts/install-deps.sh; else scripts/install-deps.sh || true; fi
scripts/build.sh
BUILD_DIR=${MERIDANE_BUILD_DIR:-build}
if [ -x "$BUILD_DIR/src/gui/meridane" ]; then
  exec "$BUILD_DIR/src/gui/meridane" "$@"
fi
"$BUILD_DIR/src/cli/meridane-cli" demo
exec "$BUILD_DIR/src/cli/meridane-cli" patient list
