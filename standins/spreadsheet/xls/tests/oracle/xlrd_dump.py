"""Prints the listing of an .xls file as python3-xlrd reads it.

Usage: xlrd_dump.py <file.xls>
"""
import sys

import xlrd

from listing import Listing

KINDS = {xlrd.XL_CELL_NUMBER: "n", xlrd.XL_CELL_TEXT: "s", xlrd.XL_CELL_BOOLEAN: "b",
         xlrd.XL_CELL_ERROR: "e", xlrd.XL_CELL_BLANK: "blank", xlrd.XL_CELL_DATE: "n"}


def main(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    out = Listing(sys.stdout)
    for index in range(book.nsheets):
        sheet = book.sheet_by_index(index)
        out.sheet(index, sheet.name)
        for row in range(sheet.nrows):
            for col in range(sheet.ncols):
                cell = sheet.cell(row, col)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                kind = KINDS[cell.ctype]
                value = cell.value
                if kind == "b":
                    value = int(value)
                out.cell(index, row, col, kind, "" if kind == "blank" else value)
                xf = book.xf_list[cell.xf_index]
                font = book.font_list[xf.font_index]
                number_format = book.format_map[xf.format_key].format_str
                out.fmt(index, row, col, number_format, font.bold, font.italic,
                        font.underline_type, xf.alignment.hor_align)
        for col, info in sorted(sheet.colinfo_map.items()):
            out.width(index, col, info.width)
    for name in book.name_obj_list:
        if not name.builtin:
            scope = book.sheet_by_index(name.scope).name if name.scope >= 0 else "-"
            out.name(scope, name.name, "")
    out.active(next((i for i in range(book.nsheets) if book.sheet_by_index(i).sheet_visible),
                    0))


if __name__ == "__main__":
    main(sys.argv[1])
