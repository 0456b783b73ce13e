#!/usr/bin/env bash
# A workbook of embedded charts that LibreOffice wrote goes through
# quire-convert into a handheld document and back.  Each chart must come back
# as a chart sheet of its own, named after the chart, of the same type, with
# its title, categories and values; series lose their names (see the
# top-level README).
# Usage: charts-roundtrip.sh <windows-build> <automation-server.dll> <scratch>
set -euo pipefail
. "$(dirname "$0")/roundtrip-common.sh"
compare_through_handheld charts_book.py fods_charts.py charts_compare.py
