#!/usr/bin/env bash
# A private PostgreSQL cluster for the tests: `start ENVFILE` makes a cluster in a new
# temporary folder, listening on 127.0.0.1 only at a free port with its socket in that
# folder, and writes ENVFILE (ZUVI_TEST_SERVER=postgresql://zuvi@127.0.0.1:PORT/zuvi, the
# password in ZUVI_TEST_SERVER_PASSWORD, the folder in ZUVI_TEST_SERVER_FOLDER);
# `stop ENVFILE` stops that cluster and removes its folder and ENVFILE.
# As root the cluster runs as the postgres user, as the server refuses to run as root.
set -euo pipefail

action=${1:?start or stop}
envfile=${2:?env file}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [[ -z "$bindir" || ! -x "$bindir/initdb" ]]; then
    echo "PostgreSQL's server programs are not installed (Debian package postgresql)" >&2
    exit 1
fi

as_owner() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

case "$action" in
start)
    if [[ -f "$envfile" ]]; then
        # A cluster left by an interrupted run: stop it before making a new one.
        "$0" stop "$envfile" || true
    fi
    folder=$(mktemp -d /tmp/zuvi-test-server.XXXXXX)
    [[ $(id -u) -eq 0 ]] && chown postgres "$folder"
    password=$(head -c 18 /dev/urandom | base64 | tr -d '/+=')
    printf '%s\n' "$password" >"$folder/pw"
    [[ $(id -u) -eq 0 ]] && chown postgres "$folder/pw"
    as_owner "$bindir/initdb" -D "$folder/data" -U zuvi --pwfile="$folder/pw" \
        --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 \
        || { cat "$folder/initdb.log" >&2; exit 1; }
    rm -f "$folder/pw"
    # A free port on the loopback: the first of a random run that nothing listens on.
    port=""
    for _ in $(seq 1 50); do
        candidate=$((20000 + RANDOM % 20000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
            port=$candidate
            break
        fi
    done
    [[ -n "$port" ]] || { echo "no free port for the test server" >&2; exit 1; }
    as_owner "$bindir/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
        -o "-c listen_addresses=127.0.0.1 -p $port -k $folder -c fsync=on -c max_connections=60" start >/dev/null \
        || { cat "$folder/server.log" >&2; exit 1; }
    as_owner "$bindir/psql" -h "$folder" -p "$port" -U zuvi -d postgres -q -v ON_ERROR_STOP=1 \
        -c "CREATE DATABASE zuvi" >/dev/null
    {
        echo "ZUVI_TEST_SERVER=postgresql://zuvi@127.0.0.1:$port/zuvi"
        echo "ZUVI_TEST_SERVER_PASSWORD=$password"
        echo "ZUVI_TEST_SERVER_FOLDER=$folder"
        echo "ZUVI_TEST_SERVER_PORT=$port"
        echo "ZUVI_TEST_SERVER_BIN=$bindir"
    } >"$envfile.new"
    chmod 600 "$envfile.new"
    mv "$envfile.new" "$envfile"
    echo "test server on 127.0.0.1:$port"
    ;;
stop)
    [[ -f "$envfile" ]] || exit 0
    folder=$(sed -n 's/^ZUVI_TEST_SERVER_FOLDER=//p' "$envfile")
    if [[ -n "$folder" && -d "$folder/data" ]]; then
        as_owner "$bindir/pg_ctl" -D "$folder/data" -m fast -w -t 30 stop >/dev/null 2>&1 \
            || as_owner "$bindir/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    [[ "$folder" == /tmp/zuvi-test-server.* ]] && rm -rf "$folder"
    rm -f "$envfile"
    ;;
*)
    echo "usage: $0 start|stop FOLDER" >&2
    exit 2
    ;;
esac
