#!/usr/bin/env bash
# Sets up a fresh machine (packages), builds with warnings as errors, and runs every test:
# the suites (with a PostgreSQL server beside them), the sanitizer suites and the package test.
# Prints the time of each stage.
set -euo pipefail
cd "$(dirname "$0")/.."
START=$SECONDS
STAGE_START=$SECONDS
stage() {
  echo "== stage done: $1 ($((SECONDS - STAGE_START)) s; $((SECONDS - START)) s in all)"
  STAGE_START=$SECONDS
}
if [ "$(id -u)" -eq 0 ]; then scripts/install-deps.sh; else scripts/install-deps.sh || true; fi
stage "packages"
MERIDANE_WERROR=ON scripts/build.sh
# The schema validator for the FHIR export's check (skipped when it cannot be installed).
scripts/fhir-validator.sh
stage "build"
# The suites run beside a throwaway PostgreSQL cluster; the server-backed cases find it in
# MERIDANE_TEST_SERVER (and are skipped without it). It is stopped however the suites end.
scripts/with-pg.sh bash -c 'cd "$1" && ctest --output-on-failure -j 2' _ "${MERIDANE_BUILD_DIR:-build}"
stage "tests"
# The clinic server's setup script and the README's TLS steps, on a cluster of their own.
scripts/server-setup-check.sh
stage "server setup check"
# The suites that handle memory and bytes again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
if [ "${MERIDANE_SANITIZERS:-1}" != 0 ]; then
  scripts/sanitize.sh
  stage "sanitizer build and tests"
fi
# The Debian package, installed and used as a user would (needs root, as CI runs).
scripts/package-test.sh
stage "package test"
