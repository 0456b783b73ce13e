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
compare_through_handheld names_arrays_book.py fods_listing.py names_arrays_compare.py
