#!/usr/bin/env bash
# A workbook of embedded charts that LibreOffice wrote goes through
# quire-convert into a handheld document and back.  Each chart must come back
# as a chart sheet of its own, named after the chart, of the same type, with
# its title, categories and values; series lose their names (see the
# top-level README).
# Usage: charts-roundtrip.sh <windows-build> <automation-server.dll> <scratch>
set -euo pipefail
. "$(dirname "$0")/roundtrip-common.sh"
oracle=$(cd "$here/../../../standins/spreadsheet/xls/tests/oracle" && pwd)

/usr/bin/python3 "$oracle/charts_book.py" "$scratch/Book.fods"
office --convert-to "xls:MS Excel 97" --outdir "$scratch" "$scratch/Book.fods"
office --convert-to fods --outdir "$scratch/original" "$scratch/Book.xls"

through_handheld Book
office --convert-to fods --outdir "$scratch/back" "$scratch/Back.xls"

/usr/bin/python3 "$oracle/fods_charts.py" "$scratch/original/Book.fods" >"$scratch/original.listing"
/usr/bin/python3 "$oracle/fods_charts.py" "$scratch/back/Back.fods" >"$scratch/back.listing"
/usr/bin/python3 "$here/charts_compare.py" "$scratch/original.listing" "$scratch/back.listing"
