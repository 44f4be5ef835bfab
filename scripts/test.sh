#!/usr/bin/env bash
# Sets up a fresh machine (packages), builds with warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then scripts/install-deps.sh; else scripts/install-deps.sh || true; fi
MERIDANE_WERROR=ON scripts/build.sh
# The schema validator for the FHIR export's check (skipped when it cannot be installed).
scripts/fhir-validator.sh
(cd "${MERIDANE_BUILD_DIR:-build}" && ctest --output-on-failure -j 2)
# The same tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
if [ "${MERIDANE_SANITIZERS:-1}" != 0 ]; then scripts/sanitize.sh; fi
# The Debian package, installed and used as a user would (needs root, as CI runs).
scripts/package-test.sh
