"""The plain listing the oracle scripts and the C++ tests exchange.

One item per line, fields separated by tabs, texts escaped (\\\\, \\t, \\n):
  sheet   <index> <name> <worksheet|chart>
  active  <index>
  cell    <sheet> <row> <col> <n|s|b|e|f|blank> <value> <formula>
  fmt     <sheet> <row> <col> <number format> <bold 0/1> <italic 0/1> <underline> <align>
  width   <sheet> <col> <width in 1/256 character>
  name    <scope: sheet name, or - for the workbook> <name> <what it refers to>
  array   <sheet> <row> <col> <rows> <columns>
Numbers are written with repr(), which reads back exactly.  Underline and
align are the file's codes (FONT uls, XF alignment).
"""


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


class Listing:
    def __init__(self, out):
        self.out = out

    def line(self, *fields):
        self.out.write("\t".join(escape(str(f)) for f in fields) + "\n")

    def sheet(self, index, name, kind="worksheet"):
        self.line("sheet", index, name, kind)

    def active(self, index):
        self.line("active", index)

    def cell(self, sheet, row, col, kind, value="", formula=""):
        if kind == "n":
            value = repr(float(value))
        self.line("cell", sheet, row, col, kind, value, formula)

    def fmt(self, sheet, row, col, number_format, bold, italic, underline, align):
        self.line("fmt", sheet, row, col, number_format, int(bool(bold)), int(bool(italic)),
                  underline, align)

    def width(self, sheet, col, width):
        self.line("width", sheet, col, width)

    def name(self, scope, name, refers_to):
        self.line("name", scope, name, refers_to)

    def array(self, sheet, row, col, rows, columns):
        self.line("array", sheet, row, col, rows, columns)
