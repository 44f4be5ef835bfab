#!/usr/bin/env bash
# Configures and builds everything into build/ (or $MERIDANE_BUILD_DIR).
#   MERIDANE_WERROR=ON          warnings stop the build (the project's own test run sets it)
#   MERIDANE_CMAKE_ARGS="..."   further configure options, e.g. -DCMAKE_BUILD_TYPE=Release
#                               -DMERIDANE_BUILD_GUI=OFF
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${MERIDANE_BUILD_DIR:-build}
GEN=()
command -v ninja >/dev/null && GEN=(-G Ninja)
ARGS=()
[ -n "${MERIDANE_WERROR:-}" ] && ARGS+=("-DMERIDANE_WERROR=$MERIDANE_WERROR")
read -ra EXTRA <<< "${MERIDANE_CMAKE_ARGS:-}"
ARGS+=("${EXTRA[@]}")
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" "${GEN[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${ARGS[@]}"
elif [ ${#ARGS[@]} -gt 0 ]; then
  cmake -S . -B "$BUILD_DIR" "${ARGS[@]}"
fi
cmake --build "$BUILD_DIR" -j "${MERIDANE_JOBS:-2}" "$@"
