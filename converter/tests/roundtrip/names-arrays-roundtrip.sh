#!/usr/bin/env bash
# A workbook of defined names and array formulas that LibreOffice wrote goes
# through quire-convert into a handheld document and back.  The handheld keeps
# formula texts but neither the names' definitions nor the arrays: LibreOffice
# must find the formulas again (with #NAME? for the names it has no definition
# of), no names and no arrays, and the values that follow from that (see the
# top-level README).
# Usage: names-arrays-roundtrip.sh <windows-build> <automation-server.dll> <scratch>
set -euo pipefail
. "$(dirname "$0")/roundtrip-common.sh"
oracle=$(cd "$here/../../../standins/spreadsheet/xls/tests/oracle" && pwd)

/usr/bin/python3 "$oracle/names_arrays_book.py" "$scratch/Book.fods"
office --convert-to "xls:MS Excel 97" --outdir "$scratch" "$scratch/Book.fods"
office --convert-to fods --outdir "$scratch/original" "$scratch/Book.xls"

through_handheld Book
office --convert-to fods --outdir "$scratch/back" "$scratch/Back.xls"

/usr/bin/python3 "$oracle/fods_listing.py" "$scratch/original/Book.fods" >"$scratch/original.listing"
/usr/bin/python3 "$oracle/fods_listing.py" "$scratch/back/Back.fods" >"$scratch/back.listing"
/usr/bin/python3 "$here/names_arrays_compare.py" "$scratch/original.listing" "$scratch/back.listing"
