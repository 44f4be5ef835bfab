#!/usr/bin/env bash
# Installs the built Debian package on this machine and uses it as a new user would: the
# installed meridane-cli makes and fills a patient book in a fresh home, the installed window
# starts under Xvfb and shows its home page (screenshot kept), then the package is purged.
# Needs root for dpkg (CI runs as root); skipped otherwise.
# Usage: scripts/package-test.sh [SCREENSHOT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
  echo "package test skipped: installing a package needs root" >&2
  exit 0
fi
BUILD_DIR=${MERIDANE_BUILD_DIR:-build}
OUT=${1:-$BUILD_DIR/package-test}
DISPLAY_NO=${PACKAGE_TEST_DISPLAY:-:91}
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)

deb=$(scripts/package.sh | tail -n 1)
dpkg-deb --contents "$deb" >"$OUT/contents.txt"

home=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$home"
  dpkg --purge meridane >/dev/null 2>&1 || true
}
trap cleanup EXIT
fail() { echo "package test: $*" >&2; exit 1; }

dpkg -i "$deb" >/dev/null || fail "dpkg -i $deb failed"
for f in /usr/bin/meridane /usr/bin/meridane-cli /usr/share/meridane/manual.pdf \
         /usr/lib/udev/rules.d/70-meridane-meters.rules \
         /usr/share/applications/org.meridane.Meridane.desktop \
         /usr/share/metainfo/org.meridane.Meridane.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/meridane.svg \
         /usr/share/icons/hicolor/48x48/apps/meridane.png \
         /usr/share/man/man1/meridane.1.gz /usr/share/man/man1/meridane-cli.1.gz \
         /usr/share/doc/meridane/copyright /usr/share/meridane/locale/de/LC_MESSAGES/meridane.mo; do
  [ -e "$f" ] || fail "not installed: $f"
done

# A new user: a fresh home and a working directory without any manual.pdf.
cd "$home"
HOME=$home meridane-cli init >/dev/null || fail "meridane-cli init failed"
[ -f "$home/MeridData_Pro/Patients.db" ] || fail "init made no patient database"
HOME=$home meridane-cli demo >/dev/null || fail "meridane-cli demo failed"
HOME=$home meridane-cli patient list | grep -q '^DEMO-001' || fail "demo patients missing"
# The installed catalogues are found from the installed program.
HOME=$home meridane-cli --language de patient list >/dev/null ||
  fail "the installed meridane-cli does not find its German catalogue"

Xvfb "$DISPLAY_NO" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
HOME=$home DISPLAY=$DISPLAY_NO meridane >"$OUT/meridane.log" 2>&1 &
app_pid=$!
window=
for _ in $(seq 1 20); do
  sleep 0.5
  kill -0 "$app_pid" 2>/dev/null || fail "the installed window ended at once: $(cat "$OUT/meridane.log")"
  window=$(DISPLAY=$DISPLAY_NO xdotool search --onlyvisible --name '^Meridane$' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
done
[ -n "$window" ] || fail "no Meridane window appeared"
sleep 1
DISPLAY=$DISPLAY_NO import -window root "$OUT/installed-home.png"
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
cd - >/dev/null

dpkg --purge meridane >/dev/null || fail "dpkg --purge failed"
for f in /usr/bin/meridane /usr/bin/meridane-cli /usr/lib/udev/rules.d/70-meridane-meters.rules; do
  [ ! -e "$f" ] || fail "left behind after purge: $f"
done
echo "package test passed: $deb (contents in $OUT/contents.txt, home page in $OUT/installed-home.png)"
