"""Writes a flat ODF spreadsheet with three charts.

Usage: charts_book.py <file.fods>

Sheet Data: A1:C1 the headings Month, Sales, Costs; A2:A5 Jan to Apr, B2:B5
10, 20, 30, 25 and C2:C5 4, 5, 7, 6.  On Data a column chart of Sales and
Costs without a title, and a pie chart of Sales titled "Share"; the sheet
Lines holds nothing but a line chart of Costs titled "Trend".  Every chart has
the months as categories and each series the heading above it as its name.
"""
import sys

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:chart="urn:oasis:names:tc:opendocument:xmlns:chart:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet>
"""
TAIL = "</office:spreadsheet></office:body></office:document>\n"

ROWS = [("Month", "Sales", "Costs"), ("Jan", 10.0, 4.0), ("Feb", 20.0, 5.0),
        ("Mar", 30.0, 7.0), ("Apr", 25.0, 6.0)]
CATEGORIES = "Data.A2:Data.A5"
SALES = ("Data.B1", "Data.B2:Data.B5")
COSTS = ("Data.C1", "Data.C2:Data.C5")


def chart(kind, title, series, x):
    """An embedded chart object, `x` cm from the left of its sheet."""
    heading = '<chart:title><text:p>%s</text:p></chart:title>' % title if title else ""
    axes = ('<chart:axis chart:dimension="x" chart:name="primary-x">'
            '<chart:categories table:cell-range-address="%s"/></chart:axis>' % CATEGORIES)
    if kind != "chart:circle":
        axes += '<chart:axis chart:dimension="y" chart:name="primary-y"/>'
    lines = "".join('<chart:series chart:values-cell-range-address="%s"'
                    ' chart:label-cell-address="%s"/>' % (values, label)
                    for label, values in series)
    return ('<draw:frame svg:x="%dcm" svg:y="0cm" svg:width="8cm" svg:height="6cm">'
            '<draw:object><office:document office:version="1.2"'
            ' office:mimetype="application/vnd.oasis.opendocument.chart">'
            '<office:body><office:chart>'
            '<chart:chart chart:class="%s" svg:width="8cm" svg:height="6cm">%s'
            '<chart:plot-area>%s%s</chart:plot-area></chart:chart>'
            '</office:chart></office:body></office:document></draw:object></draw:frame>'
            % (x, kind, heading, axes, lines))


def cell(value):
    if isinstance(value, str):
        return ('<table:table-cell office:value-type="string"><text:p>%s</text:p>'
                '</table:table-cell>' % value)
    return '<table:table-cell office:value-type="float" office:value="%r"/>' % value


def write(path):
    data = ('<table:table table:name="Data"><table:shapes>'
            + chart("chart:bar", None, [SALES, COSTS], 8)
            + chart("chart:circle", "Share", [SALES], 17)
            + "</table:shapes>"
            + "".join("<table:table-row>" + "".join(cell(v) for v in r) + "</table:table-row>"
                      for r in ROWS)
            + "</table:table>")
    lines = ('<table:table table:name="Lines"><table:shapes>'
             + chart("chart:line", "Trend", [COSTS], 0)
             + "</table:shapes><table:table-row><table:table-cell/></table:table-row>"
             "</table:table>")
    with open(path, "w", encoding="utf-8") as f:
        f.write(HEAD + data + lines + TAIL)


if __name__ == "__main__":
    write(sys.argv[1])
