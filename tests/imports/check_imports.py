#!/usr/bin/env python3
"""Reads the import table of each exe with objdump -p and fails on any DLL outside the allowed list.

usage: check_imports.py [--objdump PATH] EXE... [--refused EXE...]

A DLL that an exe imports is looked for beside the exe first, unless Windows keeps it on its
KnownDLLs list: the programs run from a user's Downloads folder, where anything may lie, so
they import only the DLLs below, and load every other one from System32 at run time
(src/platform/win32/system_dlls.cpp). Each exe after --refused must fail the check, so that a
parse that lets everything through is caught.
"""
import re
import subprocess
import sys

# Each allowed DLL, by the name the import table gives it (letter case ignored), and why.
ALLOWED = {
    "kernel32.dll": "a KnownDLL",
    "user32.dll": "a KnownDLL",
    "gdi32.dll": "a KnownDLL",
    "advapi32.dll": "a KnownDLL",
    "ole32.dll": "a KnownDLL",
    "oleaut32.dll": "a KnownDLL",
    "shell32.dll": "a KnownDLL",
    "shlwapi.dll": "a KnownDLL",
    "comdlg32.dll": "a KnownDLL",
    "msvcrt.dll": "a KnownDLL: the C runtime that mingw-w64 links against",
    "comctl32.dll": "not a KnownDLL, but quorvel.exe's manifest binds it to the side-by-side "
                    "version 6, which the loader takes from WinSxS, never from the exe's folder",
}

DLL_NAME = re.compile(r"^\s*DLL Name:\s*(\S+)\s*$", re.MULTILINE)


def imported_dlls(objdump, exe):
    out = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    return DLL_NAME.findall(out)


def problems_of(dlls, exe):
    """What is wrong with one exe's imports, as lines; none when it imports only allowed DLLs."""
    problems = [f"{exe}: imports {d}, which is not on the allowed list" for d in dlls
                if d.lower() not in ALLOWED]
    # A parse that finds nothing must not pass: every exe imports KERNEL32.
    if "kernel32.dll" not in (d.lower() for d in dlls):
        problems.append(f"{exe}: no KERNEL32.dll among the imports found ({dlls})")
    return problems


def main(argv):
    objdump = "objdump"
    if argv[:1] == ["--objdump"]:
        objdump, argv = argv[1], argv[2:]
    refused = []
    if "--refused" in argv:
        at = argv.index("--refused")
        argv, refused = argv[:at], argv[at + 1:]
    if not argv:
        raise SystemExit(__doc__)
    failed = False
    for exe in argv:
        dlls = imported_dlls(objdump, exe)
        for p in problems_of(dlls, exe):
            print(f"check_imports: FAILED: {p}")
            failed = True
        print(f"check_imports: {exe}: {', '.join(dlls)}")
    for exe in refused:
        dlls = imported_dlls(objdump, exe)
        if not any("not on the allowed list" in p for p in problems_of(dlls, exe)):
            print(f"check_imports: FAILED: {exe} imports {dlls}, and the check let it through")
            failed = True
    print(f"check_imports: {'FAILED' if failed else 'passed'}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
