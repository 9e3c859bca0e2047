#!/usr/bin/env bash
# Remakes the demo payroll package's Access files (Jet 4) in this folder from its SQLite form, which
# src/finance/DemoPackage.cpp generates:
#   data/demo/make.sh [BUILD_DIR]        (default build/test; needs zqsaltax-cli built there)
# The amounts become Currency columns. Needs ../shared/tools/sqlite2mdb (which installs Java when missing).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build/test}
tool=${SQLITE2MDB:-$root/../../shared/tools/sqlite2mdb}
[ -x "$tool" ] || tool=$root/../shared/tools/sqlite2mdb
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$build/bin/zqsaltax-cli" init-db --demo-sqlite "$tmp/ZqSalTax.db" >/dev/null
data="$tmp/windows/Olvenka/Lumina 3.0/Data"
convert() { # SQLite file, Access file
    # Amounts are Currency in the package: the REAL columns are declared CURRENCY for the converter.
    sqlite3 "$1" .dump | sed -E '/^CREATE TABLE/ s/ REAL/ CURRENCY/g' | sqlite3 "$tmp/currency.sqlite"
    rm -f "$2"
    "$tool" "$tmp/currency.sqlite" "$2" 2000
    rm -f "$tmp/currency.sqlite"
}
convert "$data/system.mda" "$here/system.mda"
for f in "$data"/0*/*.mdb; do
    convert "$f" "$here/$(basename "$f")"
done
ls -l "$here"
