#!/usr/bin/python3
"""Regenerates the seed corpora of doc_reader_fuzzer (corpus-doc/) and
pgd_reader_fuzzer (corpus-pgd/).

The Word documents are small HTML documents saved by LibreOffice in the Word
97-2003 format (paragraphs, runs, a table, text beyond Windows-1252, a field);
the handheld documents are written here after the layout in ../README.md.
Needs soffice on the PATH:  ./make_corpus.py
"""
import os
import shutil
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
DOC_CORPUS = os.path.join(HERE, "corpus-doc")
PGD_CORPUS = os.path.join(HERE, "corpus-pgd")

HTML_SEEDS = {
    "paragraphs": "<p>One.</p><p>Two.</p><p></p><p>Three<br>with a break.</p>",
    "runs": "<p>Plain <b>bold</b> <i>italic</i> <u>under</u> <b><i><u>all</u></i></b></p>",
    "nonascii": "<p>Gr\u00fc\u00dfe \u20ac \u201cq\u201d \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac "
                "\u65e5\u672c\u8a9e \U0001F600</p>",
    "table": "<table border='1'><tr><td>a1</td><td>b1</td></tr>"
             "<tr><td></td><td><b>b2</b></td></tr></table><p>after</p>",
    "field": "<p>Page <sdfield type=PAGE subtype=RANDOM format=PAGE>1</sdfield> of a field.</p>",
}

# (role, [(style, text), ...]) per paragraph.
PGD_SEEDS = {
    "empty": [],
    "plain": [(0, [(0, "Hello")]), (0, [])],
    "styles": [(0, [(0, "a "), (1, "b"), (2, "i"), (4, "u"), (7, "all")])],
    "table": [(2, [(0, "a1")]), (1, [(0, "b1 first")]), (2, [(0, "b1")]), (3, []),
              (0, [(0, "after\nbreak\ttab")])],
    "unicode": [(0, [(0, "Gr\u00fc\u00dfe \u20ac \u65e5\u672c \U0001F600")])],
}


def pgd_bytes(paragraphs):
    out = bytearray(b"PGDF")
    out += struct.pack(">HHI", 1, 12, len(paragraphs))
    for role, runs in paragraphs:
        out += struct.pack(">BI", role, len(runs))
        for style, text in runs:
            data = text.encode("utf-8")
            out += struct.pack(">BI", style, len(data)) + data
    return bytes(out)


def write_doc_seeds():
    work = tempfile.mkdtemp()
    try:
        sources = []
        for name, body in HTML_SEEDS.items():
            path = os.path.join(work, name + ".html")
            with open(path, "w", encoding="utf-8") as out:
                out.write("<html><head><meta charset='utf-8'></head><body>%s</body></html>" % body)
            sources.append(path)
        subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(work, "profile"),
                        "--headless", "--convert-to", "doc:MS Word 97", "--outdir", work]
                       + sources, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.makedirs(DOC_CORPUS, exist_ok=True)
        for name in HTML_SEEDS:
            shutil.copy(os.path.join(work, name + ".doc"),
                        os.path.join(DOC_CORPUS, "libreoffice-%s.doc" % name))
    finally:
        shutil.rmtree(work)


def write_pgd_seeds():
    os.makedirs(PGD_CORPUS, exist_ok=True)
    for name, paragraphs in PGD_SEEDS.items():
        with open(os.path.join(PGD_CORPUS, name + ".pgd"), "wb") as out:
            out.write(pgd_bytes(paragraphs))


write_doc_seeds()
write_pgd_seeds()
