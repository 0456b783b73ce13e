"""Prints the charts of a flat ODF spreadsheet (LibreOffice's fods) as listing
lines, one chart after the other in document order:

  chart   <sheet> <class> <title> <categories>
  series  <sheet> <values> <label>

<class> is the chart's class without its namespace (bar, line, circle...);
a range that is one cell is printed as that cell ("Data.B1", not
"Data.B1:Data.B1"); an absent title or range is empty.

Usage: fods_charts.py <file.fods>
"""
import sys
import xml.etree.ElementTree as ET

from listing import Listing

NS = {
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "chart": "urn:oasis:names:tc:opendocument:xmlns:chart:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
}


def attr(element, space, name):
    return element.get("{%s}%s" % (NS[space], name), "") if element is not None else ""


def cell_range(text):
    first, _, last = text.partition(":")
    return first if first == last else text


def main(path):
    out = Listing(sys.stdout)
    root = ET.parse(path).getroot()
    for table in root.iter("{%s}table" % NS["table"]):
        name = attr(table, "table", "name")
        for chart in table.iter("{%s}chart" % NS["chart"]):
            title = chart.find("chart:title", NS)
            heading = "".join(title.itertext()).strip() if title is not None else ""
            categories = chart.find(".//chart:categories", NS)
            out.line("chart", name, attr(chart, "chart", "class").split(":")[-1], heading,
                     cell_range(attr(categories, "table", "cell-range-address")))
            for series in chart.iter("{%s}series" % NS["chart"]):
                out.line("series", name,
                         cell_range(attr(series, "chart", "values-cell-range-address")),
                         cell_range(attr(series, "chart", "label-cell-address")))


if __name__ == "__main__":
    main(sys.argv[1])
