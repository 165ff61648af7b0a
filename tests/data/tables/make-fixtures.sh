#!/usr/bin/env bash
# Rebuilds the table fixtures. Needs LibreOffice (only for this, not for the
# build: apt-get install --no-install-recommends libreoffice-calc-nogui) and python3.
set -euo pipefail
cd "$(dirname "$0")"
soffice --headless --convert-to xlsx sample.fods
soffice --headless --convert-to ods sample.fods
soffice --headless --convert-to 'xls:MS Excel 97' sample.fods
for f in xlsx ods 'xls:MS Excel 97'; do soffice --headless --convert-to "$f" formulas.fods; done
# Comma-separated as Calc saves it: UTF-8, text in double quotes, cells as shown.
soffice --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' formulas.fods
python3 - <<'PY'
import os, sqlite3
if os.path.exists('sample.sqlite'): os.remove('sample.sqlite')
c = sqlite3.connect('sample.sqlite')
c.execute('create table wells (id integer primary key, name text, depth real, note text)')
c.executemany('insert into wells values (?,?,?,?)',
              [(1, 'W-1', 1200.5, 'first'), (2, 'W-2', 987.25, None), (3, 'Скв-3', 15.0, 'тест')])
c.execute('create table "empty table" (a text)')
c.commit()
PY
head -c 2000 sample.xlsx > truncated.xlsx
printf 'a\tb\nc\td\n' > text-renamed.xls
