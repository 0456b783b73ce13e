"""Prints the listing of a flat ODF spreadsheet (.fods) as LibreOffice wrote it.

Usage: fods_listing.py <file.fods>

Cells with a number or a formula (a formula without a number result with the
text it shows), their formula in the file's own syntax (of:=Rate*[.C3]), the
array formulas and the defined names.
"""
import sys
import xml.etree.ElementTree as ET

from listing import Listing

NS = {"table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
      "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
      "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0"}


def attr(element, space, name, default=None):
    return element.get("{%s}%s" % (NS[space], name), default)


def names(out, parent, scope):
    block = parent.find("table:named-expressions", NS)
    if block is None:
        return
    for item in block:
        ref = attr(item, "table", "cell-range-address") or attr(item, "table", "expression")
        out.name(scope, attr(item, "table", "name"), ref)


def cells(out, index, table):
    row = 0
    for row_element in table.iter("{%s}table-row" % NS["table"]):
        rows = int(attr(row_element, "table", "number-rows-repeated", "1"))
        column = 0
        for cell in row_element:
            if not cell.tag.endswith("}table-cell") and not cell.tag.endswith("}covered-table-cell"):
                continue
            repeat = int(attr(cell, "table", "number-columns-repeated", "1"))
            value = attr(cell, "office", "value")
            formula = attr(cell, "table", "formula", "")
            if value is not None:
                out.cell(index, row, column, "n", value, formula)
            elif formula:
                # A formula without a number shows its text, such as an error.
                shown = "".join(cell.find("text:p", NS).itertext()) \
                    if cell.find("text:p", NS) is not None else ""
                out.cell(index, row, column, "s", shown, formula)
            spanned = attr(cell, "table", "number-matrix-rows-spanned")
            if spanned:
                out.array(index, row, column, spanned,
                          attr(cell, "table", "number-matrix-columns-spanned"))
            column += repeat
        row += rows


def main(path):
    out = Listing(sys.stdout)
    spreadsheet = ET.parse(path).getroot().find("office:body/office:spreadsheet", NS)
    for index, table in enumerate(spreadsheet.findall("table:table", NS)):
        name = attr(table, "table", "name")
        out.sheet(index, name)
        cells(out, index, table)
        names(out, table, name)
    names(out, spreadsheet, "-")


if __name__ == "__main__":
    main(sys.argv[1])
