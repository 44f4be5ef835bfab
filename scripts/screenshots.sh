#!/usr/bin/env bash
# Screenshots of the window's pages under Xvfb: home page, patient page, main window, the
# patient form, each profile editor tab and each page of the record detail editor.
# Usage: scripts/screenshots.sh [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${MERIDANE_BUILD_DIR:-build}
OUT=${1:-$BUILD_DIR/screenshots}
SHOTS=$BUILD_DIR/tests/gui/gui_page_shots
if [ ! -x "$SHOTS" ]; then
  ninja -C "$BUILD_DIR" -j2 gui_page_shots
fi
mkdir -p "$OUT"
DATA=$(mktemp -d)
DISPLAY_NO=${SCREENSHOT_DISPLAY:-:87}
Xvfb "$DISPLAY_NO" -screen 0 1280x1024x24 >/dev/null 2>&1 &
XVFB_PID=$!
trap 'kill "$XVFB_PID" 2>/dev/null || true; rm -rf "$DATA"' EXIT
sleep 1
export DISPLAY=$DISPLAY_NO
for page in home patients main form editor0 editor1 editor2 editor3 editor4 editor5 \
    detail0 detail1 detail2 detail3 detail4; do
  "$SHOTS" "$page" "$DATA" >/dev/null 2>&1 &
  PID=$!
  sleep 2
  import -window root "$OUT/$page.png"
  kill "$PID" 2>/dev/null || true
  wait "$PID" 2>/dev/null || true
  echo "$OUT/$page.png"
done
