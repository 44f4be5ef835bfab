#!/usr/bin/env bash
# Sets up a fresh machine (packages), builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then scripts/install-deps.sh; else scripts/install-deps.sh || true; fi
scripts/build.sh
(cd "${MERIDANE_BUILD_DIR:-build}" && ctest --output-on-failure -j 2)
# The same tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
if [ "${MERIDANE_SANITIZERS:-1}" != 0 ]; then scripts/sanitize.sh; fi
# The Debian package, installed and used as a user would (needs root, as CI runs).
scripts/package-test.sh
