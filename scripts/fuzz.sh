#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a fixed time.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]      (default 120)
# Inputs that once crashed are kept in tests/fuzz/<target>/ and replayed first; the
# growing corpus stays in build-fuzz/corpus/<target>/. A target that fails stops the run.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-120}
BUILD_DIR=${MERIDANE_FUZZ_DIR:-build-fuzz}
GEN=()
command -v ninja >/dev/null && GEN=(-G Ninja)
SAN="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g -O1"
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" "${GEN[@]}" -DCMAKE_BUILD_TYPE=Debug \
    -DMERIDANE_BUILD_FUZZ=ON -DMERIDANE_BUILD_GUI=OFF -DMERIDANE_BUILD_TESTS=OFF \
    -DMERIDANE_BUILD_BENCH=OFF -DCMAKE_C_FLAGS="$SAN" -DCMAKE_CXX_FLAGS="$SAN"
fi
TARGETS=(fuzz_meter fuzz_language fuzz_datetime fuzz_archive_merge fuzz_csv_pdf)
cmake --build "$BUILD_DIR" -j "${MERIDANE_JOBS:-2}" --target "${TARGETS[@]}"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
for t in "${TARGETS[@]}"; do
  bin=$(find "$BUILD_DIR/src" -name "$t" -type f -perm -u+x | head -n1)
  corpus="$BUILD_DIR/corpus/$t"
  mkdir -p "$corpus" "tests/fuzz/$t"
  # Regression inputs first: each must pass as it stands.
  if compgen -G "tests/fuzz/$t/*" >/dev/null; then
    "$bin" -runs=0 tests/fuzz/$t/* >/dev/null 2>&1 || {
      echo "$t: a kept regression input fails again" >&2; exit 1; }
  fi
  echo "== $t: ${SECONDS_EACH}s"
  "$bin" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
    -artifact_prefix="tests/fuzz/$t/" "$corpus" "tests/fuzz/$t" 2>&1 |
    grep -E "^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec|==[0-9]+==ERROR|SUMMARY)" || true
  if compgen -G "tests/fuzz/$t/crash-*" >/dev/null || compgen -G "tests/fuzz/$t/leak-*" >/dev/null; then
    echo "$t: found a failing input, kept in tests/fuzz/$t/" >&2
    exit 1
  fi
done
