#!/bin/sh
# A throwaway PostgreSQL server for the shared competition's tests, run by CTest before and
# after them:
#   pg_server.sh start STATE   a server is reachable already (libpq's PGHOST/PGPORT, as under
#                              pg_virtualenv): nothing to do; otherwise one is made in a
#                              temporary folder and started on 127.0.0.1, and STATE/env names it
#                              (the tests read it); no PostgreSQL installed: said, and the tests
#                              skip, saying why
#   pg_server.sh stop STATE    stops and removes the server "start" made
set -u
action=$1
state=$2
mkdir -p "$state"

case "$action" in
start)
    # A server an earlier start left running (a repeated run whose stop never came) goes first.
    [ -f "$state/data" ] && sh "$0" stop "$state"
    rm -f "$state/env"
    if [ -n "${PGHOST:-}${PGPORT:-}" ] && pg_isready -q -t 5 >/dev/null 2>&1; then
        echo "using the server at ${PGHOST:-(socket)}:${PGPORT:-5432}"
        exit 0
    fi
    bin=$(dirname "$(command -v initdb 2>/dev/null || ls -d /usr/lib/postgresql/*/bin/initdb 2>/dev/null | sort -V | tail -n 1)")
    if [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
        echo "no PostgreSQL server installed (Debian: postgresql): the shared tests will skip"
        exit 0
    fi
    data=$(mktemp -d /tmp/skarvel-pg.XXXXXX)
    echo "$data" >"$state/data"
    # The server refuses to run as root: as root it runs as the postgres user.
    as=""
    if [ "$(id -u)" = 0 ]; then
        chown postgres "$data"
        as="runuser -u postgres --"
    fi
    if ! $as "$bin/initdb" -D "$data/db" -A trust -U postgres --no-sync >"$data/initdb.log" 2>&1; then
        cat "$data/initdb.log"
        echo "cannot make a PostgreSQL server: the shared tests will skip"
        exit 0
    fi
    # A free port: the first of a few that the server takes.
    port=$((20000 + $$ % 20000))
    for try in 1 2 3 4 5 6 7 8 9 10; do
        if $as "$bin/pg_ctl" -D "$data/db" -w -t 120 -l "$data/server.log" \
            -o "-p $port -k $data -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null; then
            printf 'PGHOST=127.0.0.1\nPGPORT=%s\nPGUSER=postgres\n' "$port" >"$state/env"
            echo "started a PostgreSQL server on 127.0.0.1:$port in $data"
            exit 0
        fi
        port=$((port + 1 + try * 97))
    done
    cat "$data/server.log"
    echo "cannot start a PostgreSQL server: the shared tests will skip"
    exit 0
    ;;
stop)
    [ -f "$state/data" ] || exit 0
    data=$(cat "$state/data")
    bin=$(dirname "$(command -v pg_ctl 2>/dev/null || ls -d /usr/lib/postgresql/*/bin/pg_ctl 2>/dev/null | sort -V | tail -n 1)")
    as=""
    [ "$(id -u)" = 0 ] && as="runuser -u postgres --"
    $as "$bin/pg_ctl" -D "$data/db" -m immediate stop >/dev/null 2>&1
    rm -rf "$data" "$state/env" "$state/data"
    ;;
esac
