#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the server-backed tests, in a folder of its own.
#
#   scripts/pg-cluster.sh start DIR     create DIR, start a cluster there, write DIR/uri
#   scripts/pg-cluster.sh uri DIR       print the connection URI of the cluster in DIR
#   scripts/pg-cluster.sh stop DIR      stop the cluster (fast) and remove DIR; harmless when
#                                       nothing runs there
#   scripts/pg-cluster.sh down DIR      stop the server but keep DIR (a server outage)
#   scripts/pg-cluster.sh up DIR        start it again on the same port
#   scripts/pg-cluster.sh restart DIR   restart it (fast), same port
#
# The server listens on 127.0.0.1 only, on a free port probed at start, with its unix socket in
# DIR, and trusts every local connection: fine for a cluster that lives for one test run, never
# for a real one (see sql/server-setup.sql for that). The tests connect as role meridane_test
# (LOGIN CREATEDB, not superuser) to database meridane_test, which it owns:
#   postgresql://meridane_test@127.0.0.1:PORT/meridane_test
# The cluster's superuser (named in DIR/superuser, reached over the socket in DIR) is there
# for scripts that set up further roles.
# PostgreSQL refuses to run as root, so as root (as CI runs) the server runs as the postgres
# system user that Debian's package creates, and DIR is handed to that user.
#
#   MERIDANE_PG_BIN   folder of initdb/pg_ctl (default: the newest /usr/lib/postgresql/*/bin)
#   MERIDANE_PG_CONF  further postgresql.conf lines, e.g. "shared_buffers = 1GB" for a bench
#   MERIDANE_PG_CACHE where initdb's result is kept for the next start (default
#                     ~/.cache/meridane; "none" runs initdb every time)
set -euo pipefail

die() { echo "pg-cluster: $*" >&2; exit 1; }
usage() { die "usage: $0 start|stop|uri|down|up|restart DIR"; }

[ $# -eq 2 ] || usage
CMD=$1
DIR=$(realpath -m -- "$2")
DATA=$DIR/data
LOG=$DIR/server.log
MARK=$DIR/.meridane-pg-cluster
[ "$DIR" != / ] || die "refusing to use / as a cluster folder"

# Our own calls must not follow a developer's PGHOST, PGSERVICE, PGPASSWORD and the like.
while read -r v; do unset "$v"; done < <(compgen -e | grep '^PG' || true)

pg_bin() {
  if [ -n "${MERIDANE_PG_BIN:-}" ]; then echo "$MERIDANE_PG_BIN"; return; fi
  local best="" v
  for d in /usr/lib/postgresql/*/bin; do
    [ -x "$d/initdb" ] || continue
    v=$(basename "$(dirname "$d")")
    if [ -z "$best" ] || [ "${v%%.*}" -gt "$(basename "$(dirname "$best")")" ]; then best=$d; fi
  done
  [ -n "$best" ] || die "no PostgreSQL server under /usr/lib/postgresql (run scripts/install-deps.sh as root)"
  echo "$best"
}
BIN=$(pg_bin)

# The user the server runs as, and a way to run a command as that user from a folder it can
# read (initdb and pg_ctl complain when the working folder is root's own).
if [ "$(id -u)" -eq 0 ]; then
  RUN_USER=postgres
  id -u "$RUN_USER" >/dev/null 2>&1 ||
    die "PostgreSQL refuses to run as root and there is no postgres user (install Debian's postgresql package)"
  as_owner() { (cd / && runuser -u "$RUN_USER" -- "$@"); }
else
  RUN_USER=$(id -un)
  as_owner() { (cd / && "$@"); }
fi

is_ours() { [ -f "$MARK" ]; }
running() { [ -f "$DATA/postmaster.pid" ] && as_owner "$BIN/pg_ctl" -D "$DATA" status >/dev/null 2>&1; }
port_of() { cat "$DIR/port"; }

# A port nobody listens on; the server's own bind is the final word (start retries on a clash).
free_port() {
  local p
  for _ in $(seq 1 50); do
    p=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then echo "$p"; return; fi
  done
  die "no free local TCP port found"
}

server_start() {
  if ! as_owner "$BIN/pg_ctl" -D "$DATA" -l "$LOG" -w -t 60 start >"$DIR/pg_ctl.out" 2>&1; then
    return 1
  fi
  as_owner "$BIN/pg_isready" -q -h "$DIR" -p "$(port_of)" -t 30
}

fail_with_log() {
  echo "pg-cluster: $1; the end of the server log ($LOG):" >&2
  tail -n 30 "$LOG" >&2 2>/dev/null || true
  cat "$DIR/pg_ctl.out" >&2 2>/dev/null || true
  exit 1
}

psql_super() {
  as_owner "$BIN/psql" -X -q -v ON_ERROR_STOP=1 -h "$DIR" -p "$(port_of)" -d postgres "$@"
}

# initdb takes seconds, a copy of its untouched result a fraction of that: the first start
# keeps one per server version and user in the caller's cache folder, later starts copy it.
make_data() {
  local args=(-U "$RUN_USER" -A trust -E UTF8 --locale=C.UTF-8 --wal-segsize=1) cache="" key tmp
  if [ "${MERIDANE_PG_CACHE:-}" != none ] && [ -n "${HOME:-}" ]; then
    key=$(printf '%s\n' "$("$BIN/postgres" --version)" "${args[*]}" | md5sum | cut -c1-16)
    cache=${MERIDANE_PG_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/meridane}/pg-initdb-$key
  fi
  if [ -n "$cache" ] && [ -f "$cache/PG_VERSION" ] && cp -a "$cache" "$DATA" 2>/dev/null; then
    chown -R "$RUN_USER" "$DATA"
    chmod 700 "$DATA"
    return
  fi
  rm -rf "$DATA"
  as_owner "$BIN/initdb" -D "$DATA" "${args[@]}" --no-sync >"$DIR/initdb.log" 2>&1 ||
    { cat "$DIR/initdb.log" >&2; die "initdb failed"; }
  [ -n "$cache" ] || return 0
  # Filled under a temporary name and renamed, so that a start running beside this one never
  # copies half a folder; whichever comes second finds the name taken and drops its copy.
  mkdir -p "$(dirname "$cache")" 2>/dev/null || return 0
  tmp=$(mktemp -d "$cache.XXXXXX" 2>/dev/null) || return 0
  if ! { cp -a "$DATA/." "$tmp/" && mv -T "$tmp" "$cache"; } 2>/dev/null; then rm -rf "$tmp"; fi
  # Copies kept for an older server or older settings are of no further use.
  find "$(dirname "$cache")" -maxdepth 1 -name 'pg-initdb-*' ! -name "$(basename "$cache")" \
    -mmin +60 -exec rm -rf {} + 2>/dev/null || true
}

cmd_start() {
  if [ -e "$DIR" ] && [ -n "$(ls -A "$DIR")" ]; then
    is_ours || die "$DIR exists and is not an empty folder; choose a fresh one"
    running && die "a cluster already runs in $DIR"
    die "$DIR holds a stopped cluster; use 'up' or 'stop' it first"
  fi
  mkdir -p "$DIR"
  chmod 700 "$DIR"
  touch "$MARK"
  chown -R "$RUN_USER" "$DIR"
  as_owner test -w "$DIR" ||
    die "user $RUN_USER cannot write $DIR (a folder on the way is closed to it); use a folder under /tmp"
  # The socket's path has to fit a sockaddr_un (107 bytes).
  [ ${#DIR} -le 90 ] || die "$DIR is too long a path for the server's socket; use a shorter one"

  make_data

  # Only this cluster trusts loopback; no network beyond 127.0.0.1.
  as_owner tee "$DATA/pg_hba.conf" >/dev/null <<EOF
local all all trust
host  all all 127.0.0.1/32 trust
EOF
  # Fast and small: the cluster is thrown away after the run, so durability buys nothing.
  # max_connections covers two desks and the suites running two at a time.
  as_owner tee -a "$DATA/postgresql.conf" >/dev/null <<EOF

# throwaway test cluster
listen_addresses = '127.0.0.1'
unix_socket_directories = '$DIR'
fsync = off
synchronous_commit = off
full_page_writes = off
wal_level = minimal
max_wal_senders = 0
shared_buffers = 32MB
max_connections = 100
log_min_messages = warning
log_connections = off
${MERIDANE_PG_CONF:-}
port = 0
EOF

  local attempt port
  for attempt in 1 2 3 4 5; do
    port=$(free_port)
    echo "$port" >"$DIR/port"
    as_owner sed -i "s/^port = .*/port = $port/" "$DATA/postgresql.conf"
    if server_start; then break; fi
    # Another process took the port between the probe and the bind: try another one.
    if grep -q -e "could not bind" -e "Address already in use" "$LOG" 2>/dev/null && [ "$attempt" -lt 5 ]; then
      as_owner "$BIN/pg_ctl" -D "$DATA" -m immediate stop >/dev/null 2>&1 || true
      : >"$LOG"
      continue
    fi
    fail_with_log "the server did not come up"
  done

  psql_super -c "CREATE ROLE meridane_test LOGIN CREATEDB NOSUPERUSER NOCREATEROLE" \
    -c "CREATE DATABASE meridane_test OWNER meridane_test" ||
    fail_with_log "creating the test role and database failed"
  echo "postgresql://meridane_test@127.0.0.1:$port/meridane_test" >"$DIR/uri"
  echo "$RUN_USER" >"$DIR/superuser"
  chmod 644 "$DIR/uri" "$DIR/superuser"
}

cmd_stop() {
  [ -e "$DIR" ] || return 0
  if ! is_ours; then
    [ -z "$(ls -A "$DIR")" ] || die "$DIR is not a cluster folder made by this script; left alone"
    rmdir "$DIR"
    return 0
  fi
  if [ -f "$DATA/postmaster.pid" ]; then
    as_owner "$BIN/pg_ctl" -D "$DATA" -m fast -w -t 60 stop >/dev/null 2>&1 ||
      as_owner "$BIN/pg_ctl" -D "$DATA" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf -- "$DIR"
}

case $CMD in
  start) cmd_start ;;
  stop) cmd_stop ;;
  uri)
    [ -f "$DIR/uri" ] || die "no cluster in $DIR"
    cat "$DIR/uri" ;;
  down)
    is_ours || die "no cluster in $DIR"
    as_owner "$BIN/pg_ctl" -D "$DATA" -m fast -w stop >/dev/null ;;
  up)
    is_ours || die "no cluster in $DIR"
    server_start || fail_with_log "the server did not come up" ;;
  restart)
    is_ours || die "no cluster in $DIR"
    as_owner "$BIN/pg_ctl" -D "$DATA" -m fast -w stop >/dev/null || true
    server_start || fail_with_log "the server did not come up" ;;
  *) usage ;;
esac
