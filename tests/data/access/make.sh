#!/usr/bin/env bash
# Remakes the Access fixtures from the SQL beside this script (needs ../../../../shared/tools/sqlite2mdb, which
# installs a Java runtime when missing). The tests use the committed files and need no Java.
#   accountset.mdb    Jet 4 (Access 2000)      accountset.accdb  ACE (Access 2007)
#   system.mda        Jet 4                    password.mdb      accountset.mdb with a database password
#                                                                set in its header ("pkrowentasiml")
#   encoded.mdb       accountset.mdb with the header's encoding key set
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=${SQLITE2MDB:-$here/../../../../../shared/tools/sqlite2mdb}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for db in accountset system; do
    sqlite3 "$tmp/$db.sqlite" < "$here/$db.sql"
done
rm -f "$here"/accountset.mdb "$here"/accountset.accdb "$here"/system.mda "$here"/password.mdb "$here"/encoded.mdb
"$tool" "$tmp/accountset.sqlite" "$here/accountset.mdb" 2000
"$tool" "$tmp/accountset.sqlite" "$here/accountset.accdb" 2007
"$tool" "$tmp/system.sqlite" "$tmp/system.mdb" 2000
mv "$tmp/system.mdb" "$here/system.mda"
python3 "$here/header.py" password "$here/accountset.mdb" "$here/password.mdb" pkrowentasiml
python3 "$here/header.py" encode "$here/accountset.mdb" "$here/encoded.mdb"
