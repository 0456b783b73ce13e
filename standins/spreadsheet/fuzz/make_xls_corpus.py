#!/usr/bin/python3
"""Regenerates the seed corpus of xls_open_fuzzer in corpus-xls/.

Small workbooks written by python3-xlwt, and the same re-saved by LibreOffice,
so that the seeds hold both writers' record layouts; a book of defined names
and array formulas, and a book of embedded charts, as LibreOffice and Gnumeric
(ssconvert) save them; beside each workbook its bare Workbook stream, which
the fuzzer reads without a container.  engine-chart-sheets.xls is the charts
book as the engine saves it (chart sheets), gnumeric-chart-sheets.xls that
file re-saved by ssconvert; both are kept, not regenerated here.  Run with
Debian's python (/usr/bin/python3), which has xlwt and xlrd:  ./make_xls_corpus.py
"""
import os
import shutil
import subprocess
import tempfile

import sys

import xlrd.compdoc
import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus-xls")
sys.path.insert(0, os.path.join(HERE, "..", "xls", "tests", "oracle"))

import charts_book  # noqa: E402  (the oracle tests' books)
import names_arrays_book  # noqa: E402


def values_book(path):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Values")
    for i, n in enumerate([0, 1, -7, 2.5, 1e-5, 123456789.125, 536870912]):
        sheet.write(i, 0, n)
    for i, t in enumerate(["hello", "caf\u00e9", "\u20ac", "x" * 40]):
        sheet.write(i, 1, t)
    sheet.write(0, 2, True)
    sheet.write(1, 2, xlwt.Formula("A1+A2*2"))
    book.add_sheet("Second").write(0, 0, "other")
    book.save(path)


def styles_book(path):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Styled")
    for i, (fmt, bold) in enumerate([("0.00", True), ("0%", False), ("d-mmm-yy", True),
                                     ("#,##0.000;[Red]-#,##0.000", False)]):
        style = xlwt.XFStyle()
        style.num_format_str = fmt
        style.font.bold = bold
        style.font.italic = not bold
        style.alignment.horz = i % 4
        sheet.write(i, 0, 100.25 * i, style)
    sheet.col(0).width = 5000
    sheet.col(2).width = 1200
    book.save(path)


def formulas_book(path):
    book = xlwt.Workbook(encoding="utf-8")
    data = book.add_sheet("Data")
    calc = book.add_sheet("Calc")
    for i in range(5):
        data.write(i, 0, i + 1)
    texts = ["SUM(Data!A1:A5)", "IF(Data!A1>0,\"yes\",\"no\")", "ROUND(PI(),2)",
             "AVERAGE(Data!A1:A5)*-2", "\"a\"&\"b\"", "MAX(Data!A1,Data!A5)<>3",
             "ABS(-Data!$A$2)"]
    for i, text in enumerate(texts):
        calc.write(i, 0, xlwt.Formula(text))
    book.set_active_sheet(1)
    book.save(path)


def shared_strings_book(path):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Strings")
    for i in range(300):
        sheet.write(i, 0, "string %d %s" % (i, "\u4e2d" * (i % 4)))
    book.save(path)


def soffice(scratch, convert_to, source, outdir):
    subprocess.run(["soffice", "--headless", "--norestore",
                    "-env:UserInstallation=file://" + os.path.join(scratch, "profile"),
                    "--convert-to", convert_to, "--outdir", outdir, source],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def odf_books(scratch, stem, book):
    """The book as LibreOffice saves it, and as Gnumeric saves LibreOffice's ODF."""
    fods = os.path.join(scratch, stem + ".fods")
    book.write(fods)
    out = os.path.join(scratch, stem)
    soffice(scratch, "xls:MS Excel 97", fods, out)
    shutil.move(os.path.join(out, stem + ".xls"),
                os.path.join(CORPUS, "libreoffice-" + stem + ".xls"))
    soffice(scratch, "ods", fods, out)
    subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:excel_biff8",
                    os.path.join(out, stem + ".ods"),
                    os.path.join(CORPUS, "gnumeric-" + stem + ".xls")],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def write_streams():
    for name in sorted(os.listdir(CORPUS)):
        if not name.endswith(".xls"):
            continue
        with open(os.path.join(CORPUS, name), "rb") as f, open(os.devnull, "w") as quiet:
            stream = xlrd.compdoc.CompDoc(f.read(), logfile=quiet).get_named_stream("Workbook")
        with open(os.path.join(CORPUS, "stream-" + name[:-4] + ".bin"), "wb") as f:
            f.write(stream)


def main():
    os.makedirs(CORPUS, exist_ok=True)
    makers = {"xlwt-values.xls": values_book, "xlwt-styles.xls": styles_book,
              "xlwt-formulas.xls": formulas_book, "xlwt-strings.xls": shared_strings_book}
    for name, maker in makers.items():
        maker(os.path.join(CORPUS, name))
    scratch = tempfile.mkdtemp(prefix="xls-corpus-")
    try:
        for name in makers:
            out = os.path.join(scratch, "out")
            soffice(scratch, "xls:MS Excel 97", os.path.join(CORPUS, name), out)
            shutil.move(os.path.join(out, name),
                        os.path.join(CORPUS, name.replace("xlwt-", "libreoffice-")))
        odf_books(scratch, "names-arrays", names_arrays_book)
        odf_books(scratch, "charts", charts_book)
    finally:
        shutil.rmtree(scratch)
    write_streams()


if __name__ == "__main__":
    main()
