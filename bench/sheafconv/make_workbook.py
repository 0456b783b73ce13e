#!/usr/bin/env python3
"""Writes a flat OpenDocument spreadsheet of ROWS x COLUMNS cells: numbers,
texts and formulas mixed, some bold and some with number formats.  LibreOffice
turns it into the .xls the benchmark converts."""
import sys

rows, columns, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]


def column_name(index):
    name = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        name = chr(65 + rest) + name
    return name


with open(path, "w", encoding="utf-8") as out:
    out.write('<?xml version="1.0" encoding="UTF-8"?>\n'
              '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
              'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
              'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
              'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" '
              'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
              'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
              'xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2" '
              'office:mimetype="application/vnd.oasis.opendocument.spreadsheet">\n'
              '<office:automatic-styles>'
              '<number:number-style style:name="N2"><number:number number:decimal-places="2" '
              'number:min-integer-digits="1"/></number:number-style>'
              '<style:style style:name="bold" style:family="table-cell">'
              '<style:text-properties fo:font-weight="bold"/></style:style>'
              '<style:style style:name="money" style:family="table-cell" '
              'style:data-style-name="N2"/>'
              '</office:automatic-styles>\n'
              '<office:body><office:spreadsheet><table:table table:name="Data">\n')
    for r in range(rows):
        out.write("<table:table-row>")
        for c in range(columns):
            kind = (r + c) % 4
            if kind == 0:
                out.write('<table:table-cell office:value-type="float" office:value="%d"/>'
                          % (r * columns + c))
            elif kind == 1:
                out.write('<table:table-cell table:style-name="money" office:value-type="float" '
                          'office:value="%d.25"/>' % r)
            elif kind == 2 and c > 0:
                out.write('<table:table-cell table:formula="of:=[.%s%d]*2+1" '
                          'office:value-type="float" office:value="0"/>'
                          % (column_name(c - 1), r + 1))
            else:
                out.write('<table:table-cell table:style-name="bold" office:value-type="string">'
                          '<text:p>item %d</text:p></table:table-cell>' % r)
        out.write("</table:table-row>\n")
    out.write("</table:table></office:spreadsheet></office:body></office:document>\n")
