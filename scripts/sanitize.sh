#!/usr/bin/env bash
# The suites that handle memory and bytes — base, store, meter, download, reports, output,
# profile — built with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ (-O1)
# and run by ctest. Any report fails the run. The command-line suite is left out: it runs the
# same core through child processes and would add minutes, not findings.
#   MERIDANE_ASAN_ALL=1   every suite, the command line's included
#   MERIDANE_ASAN_GUI=ON  also builds and runs the window's tests (slower)
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
SUITES=(test_base test_store test_meter test_download test_reports test_output test_profile)
if [ -n "${MERIDANE_ASAN_ALL:-}" ] || [ "${MERIDANE_ASAN_GUI:-OFF}" != OFF ]; then
  cmake --build "$BUILD_DIR" -j "${MERIDANE_JOBS:-2}"
  FILTER=()
else
  cmake --build "$BUILD_DIR" -j "${MERIDANE_JOBS:-2}" --target "${SUITES[@]}"
  FILTER=(-R "^($(IFS='|'; echo "${SUITES[*]}"))")  # a suite split into parts keeps its prefix
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$BUILD_DIR"
ctest --output-on-failure -j 2 "${FILTER[@]}"
