#!/usr/bin/env bash
# Remakes the old program's database fixtures from the SQL beside this script (needs
# ../../../../shared/tools/sqlite2mdb, which installs a Java runtime when missing). The tests use the committed
# files and need no Java.
#   old-good.mdb  Jet 4 (Access 2000) from old-good.sql, with the database password "pkrowentasiml" set in its
#                 header as the old program's file has it
#   old-bad.mdb   Jet 4 from old-bad.sql: values that cannot be taken over (a text column where money or a
#                 date belongs, a duplicate employee, an employee without number)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=${SQLITE2MDB:-$here/../../../../../shared/tools/sqlite2mdb}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rm -f "$here"/old-good.mdb "$here"/old-bad.mdb
for db in old-good old-bad; do
    sqlite3 "$tmp/$db.sqlite" < "$here/$db.sql"
done
"$tool" "$tmp/old-good.sqlite" "$tmp/old-good.mdb" 2000
python3 "$here/../access/header.py" password "$tmp/old-good.mdb" "$here/old-good.mdb" pkrowentasiml
"$tool" "$tmp/old-bad.sqlite" "$here/old-bad.mdb" 2000
