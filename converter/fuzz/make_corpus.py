#!/usr/bin/env python3
"""Writes the seed corpus of the .shf fuzz targets: small documents that reach
every record kind (sheet groups, continued cell streams, chart records)."""
import os
import struct
import sys

NO_FORMAT, CONTINUED, END_OF_SHEET = 77, 88, 99


def word(v):
    return struct.pack(">I", v & 0xFFFFFFFF)


def string(s):
    b = s.encode("latin-1")
    return word(len(b)) + b


def container(records):
    out = b"jlc0" + struct.pack("<i", len(records))
    for r in records:
        out += struct.pack("<i", len(r)) + r
    return out


def cell(kind, col, row, text, display="", precedents="", fmt=None):
    b = word(kind) + word(col) + word(row) + string(text)
    if kind in (2, 6):
        b += string(display)
    if kind == 6:
        b += string(precedents)
    b += word(NO_FORMAT) if fmt is None else b"".join(word(x) for x in fmt)
    return b


def sheet(name, cells, split_every=0):
    records = [word(0), word(0), word(2) + word(0) + word(36) + word(3) + word(72)]
    stream = string(name) + word(1) + word(4) + word(0)
    for i, c in enumerate(cells):
        if split_every and i and i % split_every == 0:
            records.append(stream + word(CONTINUED))
            stream = b""
        stream += c
    records.append(stream + word(END_OF_SHEET))
    return records


def chart(ordinal, name, title, type_code, in_rows, categories, groups):
    b = word(ordinal) + string(name) + string(title) + word(type_code) + bytes([in_rows])
    b += string(categories) + word(len(groups))
    for values, sizes in groups:
        b += string(values) + string(sizes)
    return b


def main(folder):
    os.makedirs(folder, exist_ok=True)
    cells = [
        cell(0, 0, 0, "1"),
        cell(1, 1, 0, "text", fmt=(1, 4, 0x00020004)),
        cell(2, 2, 0, "=A1+1", "2"),
        cell(6, 3, 0, "='Data'!A1*2", "2", "$A$1"),
        cell(4, 0, 1, "1"),
        cell(5, 1, 1, "#DIV/0!", fmt=(7, 6, 0x000A0001)),
    ]
    records = [word(2) + word(2) + string("Ann")]
    records += sheet("Data", cells, split_every=2)
    records += sheet("Empty", [])
    records.append(chart(2, "Chart 1", "Sales", 0, 0, "'Data'!$A$2:$A$5",
                         [("'Data'!$B$2:$C$5", "")]))
    records.append(chart(3, "Bubbles", "", 8, 1, "", [("'Data'!$B$2:$D$3", "'Data'!$E$2:$E$3")]))
    with open(os.path.join(folder, "two-sheets-two-charts.shf"), "wb") as f:
        f.write(container(records))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus"))
