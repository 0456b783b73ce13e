#!/usr/bin/env bash
# The road's import judged by LibreOffice: the workbooks that the window
# brought back from the handheld documents in the device sync folder must show
# LibreOffice the same cells as the workbooks that were exported.
# Usage: road-libreoffice.sh <windows-build> <quire_road_tests.exe> <scratch>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tools=$(cd "$here/../../../tools" && pwd)
build=$(cd "$1" && pwd)
program=$2
scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch/original" "$scratch/back"

QUIRE_ROAD_KEEP=$scratch "$tools/wine-run" "$build" "$program" \
  --gtest_filter=SyncFolderRoad.ImportBringsBackTheCellsOfBothWorkbooks

office() {
  soffice --headless "-env:UserInstallation=file://$scratch/profile" "$@" >/dev/null 2>&1
}
# Every sheet into a file of its own, formulas as their values.
csv="csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1"
for side in original back; do
  office --convert-to "$csv" --outdir "$scratch/$side-csv" "$scratch/$side"/Book1.xls \
    "$scratch/$side"/Book2.xls
done

status=0
count=0
for original in "$scratch"/original-csv/*.csv; do
  count=$((count + 1))
  if ! diff -u "$original" "$scratch/back-csv/$(basename "$original")"; then
    status=1
  fi
done
# Book1 has one sheet, Book2 two.
if [ "$count" -ne 3 ]; then
  echo "road-libreoffice: LibreOffice wrote $count sheets of the originals, not 3" >&2
  status=1
fi
exit $status
