#!/usr/bin/env bash
# Line and branch coverage of the Qt-free core (src/ without the window and the fuzz
# targets), from a separate instrumented build in build-cov. Not part of the test run.
# The suites run beside a throwaway PostgreSQL cluster (scripts/with-pg.sh), as the README's
# test command runs them, so that the server back-end counts with what the run really covers.
# Usage: scripts/coverage.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-cov}
JOBS=${MERIDANE_JOBS:-2}
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMERIDANE_BUILD_GUI=OFF \
    -DMERIDANE_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_C_FLAGS=--coverage \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache
fi
ninja -C "$BUILD" -j"$JOBS"
# Counts from an earlier run would add to this one.
find "$BUILD" -name '*.gcda' -delete
# A failing suite still leaves its counts; the figures are printed and the failure returned.
status=0
scripts/with-pg.sh ctest --test-dir "$BUILD" -j"$JOBS" --output-on-failure || status=$?
# Debian's gcovr 5 prints line and branch totals with --print-summary; the table is
# the per-file line view.
gcovr -r . --filter src/ --exclude 'src/gui/' --exclude 'src/.*/fuzz/' \
  --print-summary -o "$BUILD/coverage.txt" "$BUILD"
echo "per-file table: $BUILD/coverage.txt"
exit "$status"
