#!/usr/bin/env bash
# A workbook that LibreOffice wrote goes through quire-convert into a handheld
# document and back; LibreOffice must read the same cell values from the
# result as from the original.
# Usage: quire-convert-roundtrip.sh <windows-build> <automation-server.dll> <scratch>
set -euo pipefail
. "$(dirname "$0")/roundtrip-common.sh"

cp "$here/Sales.fods" "$scratch/"
office --convert-to xls --outdir "$scratch" "$scratch/Sales.fods"
office --convert-to "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1" \
  --outdir "$scratch/original" "$scratch/Sales.xls"

through_handheld Sales

office --convert-to "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1" \
  --outdir "$scratch/back" "$scratch/Back.xls"
status=0
for original in "$scratch"/original/*.csv; do
  name=$(basename "$original")
  back="$scratch/back/${name/Sales-/Back-}"
  if ! diff -u "$original" "$back"; then
    status=1
  fi
done
ls "$scratch"/original/*.csv >/dev/null
exit $status
