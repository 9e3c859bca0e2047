#!/usr/bin/env python3
"""Writes data/BmNation.csv from Debian's iso-codes data: ISO 3166-1 numeric codes with their Chinese names.

Run once by a developer when the code table is to be refreshed; the CSV is committed.
Needs the Debian packages iso-codes and gettext (msgunfmt).
"""
import csv, gettext, json, pathlib, sys

root = pathlib.Path(__file__).resolve().parents[2]
countries = json.load(open('/usr/share/iso-codes/json/iso_3166-1.json', encoding='utf-8'))['3166-1']
tr = gettext.translation('iso_3166-1', '/usr/share/locale', languages=['zh_CN'])
rows = [("001", "中国(本国)")]  # the default nationality the employee import gives new employees
for c in countries:
    name = tr.gettext(c['name'])
    if c['alpha_2'] == 'CN':
        name = '中国'
    rows.append((c['numeric'], name))
rows.sort()
with open(root / 'data' / 'BmNation.csv', 'w', encoding='utf-8', newline='') as f:
    w = csv.writer(f, lineterminator='\n')
    w.writerow(['NationCode', 'NationName'])
    w.writerows(rows)
print(len(rows), 'nationalities', file=sys.stderr)
