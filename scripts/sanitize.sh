#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (-O1, no benchmarks) and run by ctest. Any report fails the run.
# MERIDANE_ASAN_GUI=ON also builds and runs the window's tests (slower).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${MERIDANE_ASAN_DIR:-build-asan}
GEN=()
command -v ninja >/dev/null && GEN=(-G Ninja)
SAN="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" "${GEN[@]}" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_FLAGS="-O1 -g $SAN" -DCMAKE_CXX_FLAGS="-O1 -g $SAN" \
    -DCMAKE_EXE_LINKER_FLAGS="$SAN" -DMERIDANE_BUILD_BENCH=OFF \
    -DMERIDANE_BUILD_GUI="${MERIDANE_ASAN_GUI:-OFF}"
fi
cmake --build "$BUILD_DIR" -j "${MERIDANE_JOBS:-2}"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$BUILD_DIR"
ctest --output-on-failure -j 2
