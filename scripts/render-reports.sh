#!/usr/bin/env bash
# Renders the twelve PDF reports of the demo patients to PNG pictures for a look by eye.
#
#   scripts/render-reports.sh [BUILD_DIR] [OUT_DIR]
#
# BUILD_DIR holds a built meridane-cli (default: build); OUT_DIR receives NN-name.PDF and
# NN-name-P.png per page (default: pdf-renders). The demo data lives in a throw-away folder.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
out="${2:-$PWD/pdf-renders}"
cli="$build/src/cli/meridane-cli"
[ -x "$cli" ] || { echo "no meridane-cli in $build (build the meridane-cli target first)" >&2; exit 1; }
command -v pdftoppm >/dev/null || { echo "pdftoppm (poppler-utils) is needed" >&2; exit 1; }

data="$(mktemp -d)"
trap 'rm -rf "$data"' EXIT
mkdir -p "$out"
run() { HOME="$data" "$cli" --data-dir "$data/db" "$@"; }

run demo >/dev/null
patient="${PATIENT:-DEMO-001}"
names=(logbook trend pie standard-day day-average week-average histogram data-list summary)
for type in 0 1 2 3 4 5 6 7 8; do
  run pdf "$patient" --type "$type" --latest 30 "$out/$(printf %02d "$type")-${names[$type]}" >/dev/null
done

# Multiple download: the clinic patient's latest readings as the list shows them.
clinic_id="DEMO-003"
clinic_name="$(run patient list | awk -F'\t' -v id="$clinic_id" '$1 == id { print $2 }')"
run readings list "$clinic_id" | tail -n 25 | awk -F'\t' -v name="$clinic_name" '
  NF >= 6 { split($2, dt, "[- :]");
            g = $3 > 600 ? "HI" : ($3 < 20 ? "LO" : $3);
            printf "\t%03d\t%s\t%s\t%s/%s/%s  %s:%s\n", $6, name, g, dt[2], dt[3], dt[1], dt[4], dt[5] }' \
  >"$data/rows.tsv"
run pdf --type 9 --rows "$data/rows.tsv" "$out/09-multiple-download" >/dev/null
run pdf --type 10 --all --latest 30 "$out/10-multiple-quick-view" >/dev/null
run pdf "$patient" --type 11 --latest 30 "$out/11-glucose-profile" >/dev/null

for f in "$out"/*.PDF; do
  pdftoppm -png -r 60 "$f" "${f%.PDF}"
done
ls "$out"
