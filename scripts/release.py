#!/usr/bin/env python3
"""Packs the Windows build into the release zip and prints its SHA-256.

usage: release.py CHECKOUT BUILD_WIN VERSION OUT_ZIP [EXES]
       release.py --signing-time

EXES is the folder of the exes to pack (signed copies), BUILD_WIN's by default. --signing-time
prints the fixed date as Unix time, which a signature takes as its signing time.

The zip holds one folder, QuorvelSP-<version>/, and the files inside it, in a fixed order with
a fixed date, so the same build always gives the same bytes, and "extract here" makes that one
folder. Every name carries the UTF-8 flag, so that Windows shows the
Japanese names right. The text files get CR LF line ends; お読みください.txt also a BOM,
so that Notepad on any Windows reads it as UTF-8.
"""
import calendar
import hashlib
import os
import struct
import sys
import zipfile
from pathlib import Path

FIXED_DATE = (2026, 1, 1, 0, 0, 0)
UTF8_NAMES = 0x800  # general-purpose bit 11
# Made by "Unix", mode 644: Info-ZIP's unzip re-codes the names of "MS-DOS" members from the
# OEM code page in spite of the UTF-8 flag; Windows reads the names right either way.
UNIX, FILE_MODE, FOLDER_MODE = 3, 0o100644 << 16, (0o40755 << 16) | 0x10  # 0x10: MS-DOS directory
FIXED_FILE_INFO = struct.pack("<I", 0xFEEF04BD)  # VS_FIXEDFILEINFO's signature


class Utf8Named(zipfile.ZipInfo):
    """A member whose name carries the UTF-8 flag even when it is ASCII: zipfile sets the
    flag only for other names, and clears the flags when it writes a member."""

    __slots__ = ("_flags",)

    @property
    def flag_bits(self):
        return self._flags | UTF8_NAMES

    @flag_bits.setter
    def flag_bits(self, value):
        self._flags = value


def exe_version(exe):
    """major.minor.patch from the exe's own version block (its fixed file info)."""
    data = exe.read_bytes()
    at = data.find(FIXED_FILE_INFO)
    if at < 0:
        raise SystemExit(f"release: {exe} has no version block")
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}"


def windows_text(path, bom=False, version=None):
    text = path.read_text(encoding="utf-8")
    if version is not None:
        text = text.replace("{{version}}", version)
    data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
    return (b"\xef\xbb\xbf" if bom else b"") + data


def main(argv):
    if argv[1:] == ["--signing-time"]:
        print(calendar.timegm(FIXED_DATE))
        return
    if len(argv) not in (5, 6):
        raise SystemExit(__doc__)
    root, win, version, out = Path(argv[1]), Path(argv[2]), argv[3], Path(argv[4])
    exes = Path(argv[5]) if len(argv) == 6 else win
    exe = exes / "quorvel.exe"
    built = exe_version(exe)
    if built != version:
        raise SystemExit(f"release: quorvel.exe is version {built}, the project is {version}; build again")

    entries = [
        ("quorvel.exe", exe.read_bytes()),
        ("quorvelc.exe", (exes / "quorvelc.exe").read_bytes()),
        ("操作説明.pdf", (win / "操作説明.pdf").read_bytes()),
        ("お読みください.txt", windows_text(root / "docs/release/お読みください.txt", bom=True, version=version)),
        ("LICENSE", windows_text(root / "LICENSE")),
        ("THIRD-PARTY-NOTICES.txt", windows_text(root / "docs/release/THIRD-PARTY-NOTICES.txt")),
    ]

    out.parent.mkdir(parents=True, exist_ok=True)
    partial = out.with_name(out.name + ".partial")
    top = f"QuorvelSP-{version}/"
    with zipfile.ZipFile(partial, "w") as zf:
        folder = Utf8Named(top, FIXED_DATE)
        folder.create_system = UNIX
        folder.external_attr = FOLDER_MODE
        zf.writestr(folder, b"")
        for name, data in entries:
            info = Utf8Named(top + name, FIXED_DATE)
            info.create_system = UNIX
            info.external_attr = FILE_MODE
            info.compress_type = zipfile.ZIP_DEFLATED
            zf.writestr(info, data, compresslevel=9)
    os.replace(partial, out)
    print(f"{hashlib.sha256(out.read_bytes()).hexdigest()}  {out}")


if __name__ == "__main__":
    main(sys.argv)
