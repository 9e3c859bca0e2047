# Shared by scripts/run and scripts/test: where things are, and installing Debian packages only when missing.
ZQ_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZQ_JOBS=$(nproc 2>/dev/null || echo 2)

zq_need_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        if [ "$(id -u)" -ne 0 ]; then
            echo "These Debian packages are missing and installing them needs root: ${missing[*]}" >&2
            exit 1
        fi
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

ZQ_BUILD_PACKAGES=(build-essential cmake ninja-build qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql
                   libqt6sql6-odbc tdsodbc libsqlite3-dev libgl-dev pkg-config mdbtools-dev)

# A throw-away PostgreSQL for the tests: initdb into $1/data, a free port on 127.0.0.1 with password login,
# the socket in $1. As root the server runs as the postgres user. Exports ZQ_TEST_PG_HOST, ZQ_TEST_PG_PORT,
# ZQ_TEST_PG_USER and ZQ_TEST_PG_PASSWORD for the tests.
zq_pg_as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

zq_start_postgres() {
    local folder="$1"
    local bin
    bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
        echo "PostgreSQL's server programs were not found below /usr/lib/postgresql" >&2
        exit 1
    fi
    ZQ_PG_BIN="$bin"
    ZQ_PG_FOLDER="$folder"
    rm -rf "$folder"
    mkdir -p "$folder"
    local password="zq-test-$$"
    printf '%s\n' "$password" >"$folder/pwfile"
    if [ "$(id -u)" -eq 0 ]; then
        chown -R postgres "$folder"
    fi
    zq_pg_as_owner "$bin/initdb" -D "$folder/data" -U postgres --pwfile="$folder/pwfile" -E UTF8 --locale=C.UTF-8 \
        --auth-local=trust --auth-host=scram-sha-256 >"$folder/initdb.log" 2>&1 ||
        { cat "$folder/initdb.log" >&2; exit 1; }
    rm -f "$folder/pwfile"
    local port started=""
    for port in $(seq 55432 55531); do
        # a port somebody answers on is taken
        if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            continue
        fi
        if zq_pg_as_owner "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
            -o "-p $port -k $folder -c listen_addresses=127.0.0.1" start >/dev/null 2>&1; then
            started=$port
            break
        fi
    done
    if [ -z "$started" ]; then
        echo "The test PostgreSQL did not start:" >&2
        tail -n 20 "$folder/server.log" >&2 || true
        exit 1
    fi
    export ZQ_TEST_PG_HOST=127.0.0.1 ZQ_TEST_PG_PORT="$started" ZQ_TEST_PG_USER=postgres ZQ_TEST_PG_PASSWORD="$password"
    echo "Test PostgreSQL on 127.0.0.1:$started (data in $folder/data)"
}

zq_stop_postgres() {
    if [ -n "${ZQ_PG_FOLDER:-}" ] && [ -f "$ZQ_PG_FOLDER/data/postmaster.pid" ]; then
        zq_pg_as_owner "$ZQ_PG_BIN/pg_ctl" -D "$ZQ_PG_FOLDER/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
}
