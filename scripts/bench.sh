#!/usr/bin/env bash
# Builds and runs every benchmark (bench/bench_*.cpp), then prints one table of every goal:
# workload, product, floor, ratio, goal. Each figure is measured against its floor in the
# same run. The benchmarks' own reports go to $BUILD_DIR/bench/bench.log.
#   scripts/bench.sh [bench_name ...]   only those
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${MERIDANE_BUILD_DIR:-build}
mapfile -t ALL < <(ls bench/bench_*.cpp | xargs -n1 basename | sed 's/\.cpp$//')
BENCHES=("$@")
[ ${#BENCHES[@]} -eq 0 ] && BENCHES=("${ALL[@]}")
scripts/build.sh --target meridane-cli >/dev/null
KNOWN=$(cmake --build "$BUILD_DIR" --target help 2>/dev/null)
TARGETS=()
for b in "${BENCHES[@]}"; do
  # bench_startup exists only in builds with the window.
  grep -qw "$b" <<< "$KNOWN" || { echo "skipping $b (not in this build)" >&2; continue; }
  TARGETS+=("$b")
done
scripts/build.sh --target "${TARGETS[@]}" >/dev/null
LOG="$BUILD_DIR/bench/bench.log"
: > "$LOG"
ROWS=$(mktemp)
trap 'rm -f "$ROWS"' EXIT
for b in "${TARGETS[@]}"; do
  echo "== $b" | tee -a "$LOG" >&2
  "$BUILD_DIR/bench/$b" 2>&1 | tee -a "$LOG" | { grep '^@row' || true; } | cut -f2- >> "$ROWS" || {
    echo "$b failed" >&2
    printf '%s\t-\t-\t-\tFAILED\n' "$b" >> "$ROWS"
  }
done
echo
{
  printf 'workload\tproduct\tfloor\tratio\tgoal\n'
  cat "$ROWS"
} | column -t -s $'\t'
