"""Writes a flat ODF spreadsheet with defined names and array formulas.

Usage: names_arrays_book.py <file.fods>

Sheet Data: A1 0.25, B2:B6 1..5, C2:C6 10..50, E1 =Rate*C3, the array
formula =B2:B6*C2:C6 over D2:D6 and =SUM(B2:B6*C2:C6) as an array in D8.
Sheet Other: A1 2, B1 =Rate*10 with Other's own Rate, B2 =Ten+Rate,
C1 =SUM(Prices).  Workbook names: Rate (Data!$A$1), Prices (Data!$C$2:$C$6),
Ten (=5*2); sheet name of Other: Rate (Other!$A$1).
"""
import sys

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet>
"""

TAIL = """<table:named-expressions>
<table:named-range table:name="Rate" table:base-cell-address="$Data.$A$1"
 table:cell-range-address="$Data.$A$1"/>
<table:named-range table:name="Prices" table:base-cell-address="$Data.$A$1"
 table:cell-range-address="$Data.$C$2:.$C$6"/>
<table:named-expression table:name="Ten" table:base-cell-address="$Data.$A$1"
 table:expression="of:=5*2"/>
</table:named-expressions>
</office:spreadsheet></office:body></office:document>
"""


def number(value):
    return '<table:table-cell office:value-type="float" office:value="%r"/>' % value


def formula(text, rows=0, columns=0):
    spans = ""
    if rows:
        spans = (' table:number-matrix-columns-spanned="%d" table:number-matrix-rows-spanned="%d"'
                 % (columns, rows))
    return '<table:table-cell table:formula="of:=%s"%s/>' % (text, spans)


EMPTY = "<table:table-cell/>"


def row(*cells):
    return "<table:table-row>" + "".join(cells) + "</table:table-row>\n"


def data_sheet():
    rows = [row(number(0.25), EMPTY, EMPTY, EMPTY, formula("Rate*[.C3]"))]
    for i in range(1, 6):
        array = formula("[.B2:.B6]*[.C2:.C6]", 5, 1) if i == 1 else EMPTY
        rows.append(row(EMPTY, number(float(i)), number(float(i * 10)), array))
    rows.append(row(EMPTY))
    rows.append(row(EMPTY, EMPTY, EMPTY, formula("SUM([.B2:.B6]*[.C2:.C6])", 1, 1)))
    return '<table:table table:name="Data">\n' + "".join(rows) + "</table:table>\n"


def other_sheet():
    return ('<table:table table:name="Other">\n'
            + row(number(2.0), formula("Rate*10"), formula("SUM(Prices)"))
            + row(EMPTY, formula("Ten+Rate"))
            + '<table:named-expressions><table:named-range table:name="Rate"'
            ' table:base-cell-address="$Other.$A$1" table:cell-range-address="$Other.$A$1"/>'
            "</table:named-expressions>\n</table:table>\n")


def write(path):
    with open(path, "w", encoding="utf-8") as f:
        f.write(HEAD + data_sheet() + other_sheet() + TAIL)


if __name__ == "__main__":
    write(sys.argv[1])
