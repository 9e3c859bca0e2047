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
                   libqt6sql6-odbc libsqlite3-dev libgl-dev)
