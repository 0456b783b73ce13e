"""Writes a workbook with python3-xlwt and the listing of what it holds.

Usage: xlwt_write.py <out.xls> <out.listing>
"""
import sys

import xlwt

from listing import Listing


def main(path, listing_path):
    book = xlwt.Workbook(encoding="utf-8")
    listing = Listing(open(listing_path, "w", encoding="utf-8"))

    plain = book.add_sheet("Values")
    listing.sheet(0, "Values")
    numbers = [0, 1, -7, 2.5, 1e-5, 123456789.125, -0.1, 1e300, 536870911, 536870912]
    for i, n in enumerate(numbers):
        plain.write(i, 0, n)
        listing.cell(0, i, 0, "n", n)
    texts = ["hello", "", "caf\u00e9", "\u20ac uro", "line\u00a0space", "x" * 300,
             "quote \" and 'apostrophe'"]
    for i, t in enumerate(texts):
        plain.write(i, 1, t)
        if t:  # xlwt writes an empty text as a blank cell, which holds nothing
            listing.cell(0, i, 1, "s", t)
    plain.write(0, 2, True)
    listing.cell(0, 0, 2, "b", 1)
    plain.write(1, 2, False)
    listing.cell(0, 1, 2, "b", 0)
    # Enough distinct strings for the shared string table to need CONTINUE records.
    for i in range(600):
        text = "string number %d %s" % (i, "\u00e9" * (i % 5) + "\u4e2d" * (i % 3))
        plain.write(20 + i, 3, text)
        listing.cell(0, 20 + i, 3, "s", text)

    styled = book.add_sheet("Styled")
    listing.sheet(1, "Styled")
    cases = [
        # number format, bold, italic, underline (uls), alignment (XF code)
        ("General", False, False, 0, 0),
        ("0.00", True, False, 0, 1),
        ("0%", False, True, 1, 2),
        ("#,##0.00", True, True, 2, 3),
        ("0.00E+00", False, False, 0, 6),
        ("d-mmm-yy", False, False, 0, 0),
        ("#,##0.000;[Red]-#,##0.000", True, False, 0, 3),
    ]
    for i, (number_format, bold, italic, underline, align) in enumerate(cases):
        style = xlwt.XFStyle()
        style.num_format_str = number_format
        font = xlwt.Font()
        font.bold = bold
        font.italic = italic
        font.underline = underline
        style.font = font
        alignment = xlwt.Alignment()
        alignment.horz = align
        style.alignment = alignment
        styled.write(i, 0, 1234.5 + i, style)
        listing.cell(1, i, 0, "n", 1234.5 + i)
        listing.fmt(1, i, 0, number_format, bold, italic, underline, align)
    for col, width in [(0, 5000), (1, 1000), (3, 12345)]:
        styled.col(col).width = width
        listing.width(1, col, width)

    formulas = book.add_sheet("Formulas")
    listing.sheet(2, "Formulas")
    formulas.write(0, 0, 3)
    listing.cell(2, 0, 0, "n", 3)
    formulas.write(0, 1, 4)
    listing.cell(2, 0, 1, "n", 4)
    texts = [
        "A1+B1*2",
        "(A1+B1)/2",
        "-A1^2",
        "SUM(A1:B1)",
        "SUM($A$1:B$1,10)",
        "IF(A1>B1,\"bigger\",\"smaller\")",
        "AVERAGE(A1,B1,5)",
        "ROUND(PI(),3)",
        "Values!A4*2",
        "MAX(Values!A1:A10)",
        "\"a\"&\"b\"",
        "A1<>B1",
        "ABS(-A1)",
        "LEN(Values!B1)",
    ]
    for i, text in enumerate(texts):
        formulas.write(1 + i, 0, xlwt.Formula(text))
        listing.cell(2, 1 + i, 0, "f", "", "=" + text)

    # A filled-down column: LibreOffice saves such runs as one shared formula.
    for row in range(20, 40):
        formulas.write(row, 0, row)
        listing.cell(2, row, 0, "n", row)
        text = "A%d*2+$A$1" % (row + 1)
        formulas.write(row, 1, xlwt.Formula(text))
        listing.cell(2, row, 1, "f", "", "=" + text)

    book.set_active_sheet(1)
    listing.active(1)
    book.save(path)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
