# Sourced by the round-trip scripts: their arguments, a scratch folder made
# empty, LibreOffice with a profile of its own there, and Wine paths.
# Arguments: <windows-build> <automation-server.dll> <scratch>
here=$(cd "$(dirname "${BASH_SOURCE[1]}")" && pwd)
tools=$(cd "$here/../../../tools" && pwd)
build=$(cd "$1" && pwd)
server=$2
scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"

office() {
  soffice --headless "-env:UserInstallation=file://$scratch/profile" "$@" >/dev/null 2>&1
}
wine_path() { printf 'Z:%s' "$1" | tr / '\\'; }
run() { "$tools/wine-run" "$build" "$@"; }

# Registers the spreadsheet application stand-in, then converts
# $scratch/<name>.xls into <name>.shf with quire-convert and back into
# $scratch/Back.xls.
through_handheld() {
  local convert="$build/converter/quire-convert.exe"
  run regsvr32 /s "$(wine_path "$server")"
  run "$convert" export "$(wine_path "$scratch/$1.xls")" "$(wine_path "$scratch/$1.shf")" \
    2>"$scratch/export.log"
  # Into a file, a conversion is named and no progress bar is drawn.
  if ! grep -q -- "-> " "$scratch/export.log" || grep -q "Converting row" "$scratch/export.log"; then
    echo "quire-convert's output into a file is not one line per conversion:"
    cat -A "$scratch/export.log"
    exit 1
  fi
  run "$convert" import "$(wine_path "$scratch/$1.shf")" "$(wine_path "$scratch/Back.xls")"
}

# The book an oracle script (standins/spreadsheet/xls/tests/oracle/<book>)
# writes goes to .xls with LibreOffice, through the handheld and back.  The
# oracle script <listing> lists LibreOffice's flat ODF of the original and
# of the result; <compare> (in this folder) judges the two listings.
# Usage: compare_through_handheld <book> <listing> <compare>
compare_through_handheld() {
  local oracle
  oracle=$(cd "$here/../../../standins/spreadsheet/xls/tests/oracle" && pwd)
  /usr/bin/python3 "$oracle/$1" "$scratch/Book.fods"
  office --convert-to "xls:MS Excel 97" --outdir "$scratch" "$scratch/Book.fods"
  office --convert-to fods --outdir "$scratch/original" "$scratch/Book.xls"
  through_handheld Book
  office --convert-to fods --outdir "$scratch/back" "$scratch/Back.xls"
  /usr/bin/python3 "$oracle/$2" "$scratch/original/Book.fods" >"$scratch/original.listing"
  /usr/bin/python3 "$oracle/$2" "$scratch/back/Back.fods" >"$scratch/back.listing"
  /usr/bin/python3 "$here/$3" "$scratch/original.listing" "$scratch/back.listing"
}
