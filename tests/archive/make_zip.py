#!/usr/bin/python3
"""Writes a ZIP archive whose entries have exactly the names given, with the bytes
of the files given (names as bytes: control characters, "..", drives and absolute
paths are written as they are).

    make_zip.py OUT NAME FILE [NAME FILE ...]
"""
import os
import sys
import zipfile

out = sys.argv[1]
pairs = sys.argv[2:]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for name, path in zip(pairs[0::2], pairs[1::2]):
        raw = os.fsencode(name)
        info = zipfile.ZipInfo("x")
        # ZipInfo cleans names on creation; set the stored bytes afterwards.
        info.filename = raw.decode("cp437")
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(path, "rb") as f:
            z.writestr(info, f.read())
