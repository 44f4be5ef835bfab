#!/usr/bin/env bash
# Screenshots of the window's pages under Xvfb: home page, patient page, main window, the
# patient form, each profile editor tab, each page of the record detail editor, the nine
# reports and the glucose profile of two demo patients (mg/dL with a 24-hour clock, mmol/L
# with a 12-hour clock),
# the download's progress dialog mid-read and the clinic's Multiple Download and Multiple
# Quick View pages, the four import/export tabs and the print preview.
# Usage: scripts/screenshots.sh [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${MERIDANE_BUILD_DIR:-build}
OUT=${1:-$BUILD_DIR/screenshots}
SHOTS=$BUILD_DIR/tools/gui_page_shots
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
CLI=$BUILD_DIR/src/cli/meridane-cli
REPORTS=()
if [ -x "$CLI" ]; then
  "$CLI" --data-dir "$DATA" demo >/dev/null
  for id in DEMO-001 DEMO-002; do
    for t in 0 1 2 3 4 5 6 7 8 11; do REPORTS+=("report$t:$id"); done
  done
fi
for page in home patients main form editor0 editor1 editor2 editor3 editor4 editor5 \
    detail0 detail1 detail2 detail3 detail4 progress clinic quickview io0 io1 io2 io3 preview \
    "${REPORTS[@]}"; do
  "$SHOTS" "$page" "$DATA" >/dev/null 2>&1 &
  PID=$!
  # The progress dialog is taken mid-read, some blocks after the meter's fixed waits.
  case "$page" in progress) sleep 9 ;; clinic | quickview) sleep 4 ;; *) sleep 3 ;; esac
  import -window root "$OUT/${page//:/-}.png"
  kill "$PID" 2>/dev/null || true
  wait "$PID" 2>/dev/null || true
  echo "$OUT/${page//:/-}.png"
done
