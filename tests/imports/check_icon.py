#!/usr/bin/env python3
"""Checks the programs' icon as the build made it: one .ico with every size that Windows asks
for, PNG images without dates or text in their chunks, and the same bytes when drawn again.

usage: check_icon.py ICO DRAW_SCRIPT
"""
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
PNG = b"\x89PNG\r\n\x1a\n"
# Chunks that carry a date or free text, which would make two builds differ or leak the machine's.
FORBIDDEN = {b"tIME", b"tEXt", b"zTXt", b"iTXt", b"eXIf"}


def entries(data):
    """(width, image bytes) of each image of an .ico."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    found = []
    for i in range(count):
        w, _h, _colors, _r, _planes, _bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        found.append((w or 256, data[offset:offset + size]))
    return found


def chunks(png):
    at, names = len(PNG), []
    while at + 8 <= len(png):
        length, name = struct.unpack_from(">I4s", png, at)
        names.append(name)
        at += 12 + length
    return names


def problems_of(data):
    problems = []
    images = entries(data)
    sizes = sorted(w for w, _ in images)
    if sizes != SIZES:
        problems.append(f"sizes {sizes}, not {SIZES}")
    for w, image in images:
        if not image.startswith(PNG):
            problems.append(f"{w} px: not a PNG image")
            continue
        names = chunks(image)
        if names[-1:] != [b"IEND"]:
            problems.append(f"{w} px: the PNG chunks do not end with IEND ({names})")
        bad = sorted(n.decode() for n in set(names) & FORBIDDEN)
        if bad:
            problems.append(f"{w} px: chunks with dates or text: {bad}")
    return problems


def main(argv):
    if len(argv) != 3:
        raise SystemExit(__doc__)
    ico, script = Path(argv[1]), argv[2]
    data = ico.read_bytes()
    problems = problems_of(data)
    with tempfile.TemporaryDirectory() as tmp:
        again = Path(tmp) / "again.ico"
        subprocess.run([sys.executable, script, str(again)], check=True)
        if again.read_bytes() != data:
            problems.append("drawn again, the icon has other bytes")
    # The check itself must bite: a date chunk in a PNG is found.
    stamped = data.replace(b"IEND", b"tIME", 1)
    if not any("dates or text" in p for p in problems_of(stamped)):
        problems.append("a tIME chunk went unnoticed")
    for p in problems:
        print(f"check_icon: FAILED: {p}")
    print(f"check_icon: {'FAILED' if problems else 'passed'} ({ico})")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
