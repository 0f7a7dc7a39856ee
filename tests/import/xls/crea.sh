#!/usr/bin/env bash
# Remakes the .xls price lists here as LibreOffice and Gnumeric (BIFF8 and Excel 95) write them,
# from the two sheets' CSV: "Errori" (a formula whose result is #DIV/0!) and "PRODOTTI" (formula
# prices and texts, a row of empty texts, a date, booleans). Needs ssconvert (gnumeric) and
# soffice (libreoffice-calc-nogui); the tests only read the files.
set -euo pipefail
cd "$(dirname "$0")"
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
ssconvert --merge-to="$t/fonte.gnumeric" Errori.csv PRODOTTI.csv
zcat "$t/fonte.gnumeric" | sed 's/Errori\.csv/Errori/g; s/PRODOTTI\.csv/PRODOTTI/g' >"$t/fonte.xml"
ssconvert -T Gnumeric_Excel:excel_biff8 "$t/fonte.xml" listino-gnumeric.xls
ssconvert -T Gnumeric_Excel:excel_biff7 "$t/fonte.xml" listino-gnumeric-excel95.xls
ssconvert "$t/fonte.xml" "$t/listino.xlsx"
soffice --headless --convert-to xls --outdir "$t" "$t/listino.xlsx" >/dev/null
mv "$t/listino.xls" listino-libreoffice.xls
