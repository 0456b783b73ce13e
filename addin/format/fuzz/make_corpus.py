#!/usr/bin/env python3
"""Regenerates the seed corpora of handheld_records_fuzzer (corpus-records/)
and sync_folder_names_fuzzer (corpus-names/).

Records are laid out as the add-in writes them (fields 1 to 8, content cut
into parts of 32767 bytes), in the fuzzer's input form: per field its id
(1 byte), length (2 bytes, little-endian) and bytes; a field id 0 ends a
record.  Names are paths as the folder scan finds them and record texts as
the handheld sends them.  Run:  ./make_corpus.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
PART = 0x7FFF


def field(fid, data):
    return struct.pack("<BH", fid, len(data)) + data


def records(path, content, rid=-1, time="20040305174209", changed=False, folder=False):
    """The records of one entry, as the add-in's AddFile writes them."""
    slash = path.rfind("/")
    name = path[slash + 1:].encode("utf-8")
    parent = ("Local" + (path[:slash] if slash else "")).encode("utf-8")
    size = -1 if folder else len(content)
    out = b""
    part = 0
    while True:
        piece = content[part * PART:(part + 1) * PART]
        texts = [str(rid), name, parent, str(size), time, "1" if changed else "0", str(part)]
        for fid, text in enumerate(texts, start=1):
            out += field(fid, text if isinstance(text, bytes) else text.encode())
        out += field(8, piece) + b"\0"
        part += 1
        if part * PART >= len(content):
            return out


def records_corpus():
    return {
        "one-file": records("/May.xls", b"sheaf bytes \x00\x01\x02"),
        "folder-and-file": records("/Reports", b"", rid=3, folder=True)
        + records("/Reports/Q1.doc", b"pgd" * 40, rid=4, changed=True),
        "two-parts": records("/Big.xls", bytes(range(256)) * 130),
        "empty-file": records("/empty.doc", b""),
        "terminated-part": records("/z.xls", b"abc")[:-1].replace(
            field(8, b"abc"), field(8, b"abc\0")) + b"\0",
        "unicode": records("/R\u00e9sum\u00e9/\u4e2d\u6587.doc", b"x" * 10),
        "unsafe": records("/../escape.xls", b"x") + records("/a/CON", b"y"),
        "numbers": records("/n.xls", b"1234", rid=2147483647, time="99999999999999"),
    }


def utf16(path):
    return path.encode("utf-16-le")


def names_corpus():
    scanned = ["May.shf", "Reports\\Q1.pgd", "R\u00e9sum\u00e9\\b.pgd", "notes.txt",
               "a.xls", "trailing.", "con.shf", "deep\\er\\still\\x.shf"]
    sent = [(b"Local", b"a.xls"), (b"Local/Reports", b"May.doc"),
            (b"Xxxxx/R\xc3\xa9sum\xc3\xa9", b"b.doc"), (b"Local/..", b"x.xls"),
            (b"Local", b"\xc3("), (b"Local", b"..a")]
    out = {}
    for i, path in enumerate(scanned):
        out["scanned-%d" % i] = b"\x00" + utf16(path)
    out["scanned-folder"] = b"\x02" + utf16("Reports")
    for i, (parent, name) in enumerate(sent):
        out["record-%d" % i] = b"\x01" + parent + b"\0" + name
    out["record-folder"] = b"\x03Local\0Old.xls"
    return out


def write(folder, files):
    folder = os.path.join(HERE, folder)
    os.makedirs(folder, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    write("corpus-records", records_corpus())
    write("corpus-names", names_corpus())


if __name__ == "__main__":
    main()
