#!/usr/bin/env bash
# Checks sql/server-setup.sql and the README's server steps on a throwaway cluster: the setup
# (run twice), passwords from a password file, TLS with a CA of our own and verify-full,
# pg_hba.conf with hostssl lines only; then what the owner and the desk role may and may not do.
# Prints the refused expectations and fails if there are any.
set -euo pipefail
cd "$(dirname "$0")/.."
while read -r v; do unset "$v"; done < <(compgen -e | grep '^PG' || true)

WORK=$(mktemp -d "${TMPDIR:-/tmp}/meridane-setup-check.XXXXXX")
DIR=$(mktemp -d "${TMPDIR:-/tmp}/meridane-pg.XXXXXX")
trap 'scripts/pg-cluster.sh stop "$DIR"; rm -rf "$WORK"' EXIT
scripts/pg-cluster.sh start "$DIR"
PORT=$(cat "$DIR/port")
SUPER=$(cat "$DIR/superuser")
DATA=$DIR/data

as_super() {
  PGOPTIONS="-c client_min_messages=warning" \
    psql -X -q -v ON_ERROR_STOP=1 -h "$DIR" -p "$PORT" -U "$SUPER" -d postgres "$@"
}

# The setup twice: the second run must find everything in place and change nothing.
as_super -f sql/server-setup.sql >/dev/null
as_super -f sql/server-setup.sql >/dev/null

# Passwords as IT sets them (never on a command line), and the desks' password file.
OWNER_PW=$(openssl rand -hex 16)
DESK_PW=$(openssl rand -hex 16)
export PGPASSFILE=$WORK/pgpass
printf 'localhost:%s:meridane:meridane_owner:%s\nlocalhost:%s:meridane:meridane_desk:%s\n' \
  "$PORT" "$OWNER_PW" "$PORT" "$DESK_PW" >"$PGPASSFILE"
chmod 600 "$PGPASSFILE"

# The clinic's CA and the server's certificate, named for the host the desks connect to.
(
  cd "$WORK"
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
    -subj "/CN=Clinic test CA" -keyout ca.key -out ca.crt
  openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
    -subj "/CN=localhost" -keyout server.key -out server.csr
  printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >san.ext
  openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
    -extfile san.ext -out server.crt
) 2>/dev/null
cp "$WORK/server.crt" "$WORK/server.key" "$DATA/"
chmod 600 "$DATA/server.key"
chown "$SUPER" "$DATA/server.crt" "$DATA/server.key"

# As the README has it: TLS on, the book's roles over TLS with a password to database meridane
# only, no plain host lines. The superuser keeps its socket for this check.
cat >"$DATA/pg_hba.conf" <<EOF
local   all       $SUPER                          trust
hostssl meridane  meridane_owner  127.0.0.1/32    scram-sha-256
hostssl meridane  meridane_desk   127.0.0.1/32    scram-sha-256
EOF
as_super >/dev/null <<EOF
ALTER ROLE meridane_owner PASSWORD '$OWNER_PW';
ALTER ROLE meridane_desk PASSWORD '$DESK_PW';
ALTER SYSTEM SET ssl = on;
ALTER SYSTEM SET ssl_cert_file = 'server.crt';
ALTER SYSTEM SET ssl_key_file = 'server.key';
SELECT pg_reload_conf();
EOF
sleep 0.2

TLS="sslmode=verify-full&sslrootcert=$WORK/ca.crt"
fails=0
run() { # want role db sql [uri parameters]
  local want=$1 role=$2 db=$3 sql=$4 params=${5:-$TLS} got
  if psql -X -q -v ON_ERROR_STOP=1 "postgresql://$role@localhost:$PORT/$db?$params" \
    -c "$sql" >"$WORK/out" 2>&1 </dev/null; then got=ok; else got=refused; fi
  if [ "$got" != "$want" ]; then
    echo "server-setup-check: $role on $db [$sql]: expected $want, got $got" >&2
    sed 's/^/    /' "$WORK/out" >&2
    fails=$((fails + 1))
  fi
}

# want    role            db        statement
CASES=$(cat <<'EOF'
ok      meridane_owner  meridane  CREATE TABLE reading (id bigserial PRIMARY KEY, value int NOT NULL)
ok      meridane_owner  meridane  CREATE TABLE detail (id int GENERATED ALWAYS AS IDENTITY, note text)
ok      meridane_owner  meridane  SELECT 1 / count(*)::int FROM pg_tables WHERE schemaname = 'meridane' AND tablename = 'reading'
ok      meridane_desk   meridane  SELECT 1 / (current_setting('search_path') = 'meridane')::int
ok      meridane_desk   meridane  INSERT INTO reading (value) VALUES (5), (6)
ok      meridane_desk   meridane  INSERT INTO detail (note) VALUES ('after breakfast')
ok      meridane_desk   meridane  UPDATE reading SET value = 7 WHERE value = 5
ok      meridane_desk   meridane  SELECT 1 / (sum(value) = 13)::int FROM reading
ok      meridane_desk   meridane  DELETE FROM reading WHERE value = 6
refused meridane_desk   meridane  CREATE TABLE mine (i int)
refused meridane_desk   meridane  CREATE TEMP TABLE mine (i int)
refused meridane_desk   meridane  DROP TABLE reading
refused meridane_desk   meridane  TRUNCATE reading
refused meridane_desk   meridane  CREATE SCHEMA mine
refused meridane_desk   postgres  SELECT 1
EOF
)
while read -r want role db sql; do
  run "$want" "$role" "$db" "$sql"
done <<<"$CASES"
# No way in without TLS.
run refused meridane_desk meridane "SELECT 1" sslmode=disable

# The program itself as the README sets it up: the owner's first connection makes the tables,
# the desk then works in them, and a desk never makes tables.
CLI=${MERIDANE_BUILD_DIR:-build}/src/cli/meridane-cli
if [ -x "$CLI" ]; then
  book() { echo "postgresql://$1@localhost:$PORT/meridane?$TLS"; }
  cli() { # want role args...
    local want=$1 role=$2 got
    shift 2
    if MERIDANE_BOOK=$(book "$role") HOME=$WORK "$CLI" --data-dir "$WORK/data" "$@" \
      >"$WORK/out" 2>&1 </dev/null; then got=ok; else got=refused; fi
    if [ "$got" != "$want" ]; then
      echo "server-setup-check: meridane-cli as $role [$*]: expected $want, got $got" >&2
      sed 's/^/    /' "$WORK/out" >&2
      fails=$((fails + 1))
    fi
  }
  as_super -d meridane -c "DROP TABLE meridane.reading, meridane.detail" >/dev/null
  cli refused meridane_desk patient list
  cli ok meridane_owner patient list
  cli ok meridane_desk --yes patient add --name "Ann Desk" --id D1
  cli ok meridane_desk readings add D1 --at "2026-01-05 08:00" --value 120
  cli ok meridane_desk readings list D1
  grep -q "120" "$WORK/out" || { echo "server-setup-check: the desk's reading is not listed" >&2; fails=$((fails + 1)); }
fi

if [ "$fails" -gt 0 ]; then
  echo "server-setup-check: $fails expectation(s) not met" >&2
  exit 1
fi
echo "server-setup-check: the server setup and its TLS steps hold"
