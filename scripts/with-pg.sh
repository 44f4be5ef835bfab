#!/usr/bin/env bash
# Runs a command with a throwaway PostgreSQL cluster beside it, e.g.
#   scripts/with-pg.sh build/tests/store/store_test
#   scripts/with-pg.sh bash          # a shell to try things by hand
# The command finds the cluster in MERIDANE_TEST_SERVER (its connection URI) and
# MERIDANE_TEST_CLUSTER (its folder, for scripts/pg-cluster.sh down/up/restart). The cluster is
# stopped and its folder removed however the command ends, and its status is returned.
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
CLUSTER=$(dirname "$(realpath "$0")")/pg-cluster.sh
DIR=$(mktemp -d "${TMPDIR:-/tmp}/meridane-pg.XXXXXX") || exit 1
trap '"$CLUSTER" stop "$DIR"' EXIT
# A signal before the command runs ends the script (the EXIT trap stops the cluster); once it
# runs ($! is set), the signal goes to the command and the script ends with it.
on_signal() {
  if [ -n "${!-}" ]; then kill -"$1" "$!" 2>/dev/null; else exit $((128 + $(kill -l "$1"))); fi
}
trap 'on_signal INT' INT
trap 'on_signal TERM' TERM
started=${EPOCHREALTIME/./}
"$CLUSTER" start "$DIR" || exit 1
MERIDANE_TEST_SERVER=$("$CLUSTER" uri "$DIR") || exit 1
echo "with-pg: $MERIDANE_TEST_SERVER up in $(((${EPOCHREALTIME/./} - started) / 1000)) ms" >&2
export MERIDANE_TEST_SERVER MERIDANE_TEST_CLUSTER=$DIR
# The command runs beside the script rather than in front of it, so that a TERM sent to the
# script alone (a CI time limit) is passed on at once instead of after the command ends. A
# command started so would ignore Ctrl-C; env gives it back the usual handling.
env --default-signal=INT,QUIT "$@" <&0 &
while :; do
  wait "$!"
  status=$?
  kill -0 "$!" 2>/dev/null || break
done
exit "$status"
