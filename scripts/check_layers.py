#!/usr/bin/env python3
"""Checks that the includes run one way only, by this rank table of the folders under src/:

  rank  folders
  0     platform/ (the generic COM client, platform/win32/dispatch.*, included)
  1     excel/, fileinfo/
  2     startup/
  3     operations/
  4     window/, console/
  5     main.cpp and the console program's entry, console/win32/

A file may include its own folder and lower ranks only, so two folders of the same rank never
include each other. standin/ may use ranks 0-1 of src/. tools/ may use anything up to rank 4,
but of window/ only its texts and its control ids.

  check_layers.py [ROOT]        checks the tree at ROOT (default: this checkout); exits 1 and
                                names each offending line
  check_layers.py --self-test   runs the checker's own table of cases on a scratch tree
"""
import pathlib
import re
import sys
import tempfile

RANKS = {
    "platform": 0,
    "excel": 1,
    "fileinfo": 1,
    "startup": 2,
    "operations": 3,
    "window": 4,
    "console": 4,
    "console/win32": 5,
}
PROGRAMS = 5  # files directly in src/, such as main.cpp
STANDIN_TOP = 1
TOOLS_TOP = 4
TOOLS_WINDOW = {"window/texts.h", "window/win32/resource.h"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SUFFIXES = (".h", ".cpp", ".rc", ".in")


def layer_of(path):
    """The rank table's folder that holds `path` (relative to src/), or None for a path outside it."""
    parts = pathlib.PurePosixPath(path).parts
    for depth in (2, 1):
        folder = "/".join(parts[:depth])
        if len(parts) > depth and folder in RANKS:
            return folder
    return None


def offence(area, own, target):
    """Why a file of `area` ("src", "standin", "tools") in folder `own` may not include `target`,
    or None when it may. `own` is a rank table folder, or None for a program file."""
    layer = layer_of(target)
    if layer is None:
        return None  # a file of the includer's own tree, not a layer of src/
    rank = RANKS[layer]
    if area == "standin":
        return None if rank <= STANDIN_TOP else f"standin/ may use ranks 0-{STANDIN_TOP} only, not {layer}/"
    if area == "tools":
        if rank > TOOLS_TOP:
            return f"tools/ may use ranks 0-{TOOLS_TOP} only, not {layer}/"
        if layer == "window" and target not in TOOLS_WINDOW:
            return "tools/ may use window/ only for its texts and control ids"
        return None
    own_rank = PROGRAMS if own is None else RANKS[own]
    if layer == own or rank < own_rank:
        return None
    where = "main.cpp" if own is None else f"{own}/"
    return f"{where} (rank {own_rank}) must not include {layer}/ (rank {rank})"


def check(root):
    """Each offending include under `root` as "file:line: why: line"."""
    root = pathlib.Path(root)
    found = []
    for area in ("src", "standin", "tools"):
        for path in sorted((root / area).rglob("*")):
            if path.suffix not in SUFFIXES:
                continue
            rel = path.relative_to(root / area).as_posix()
            own = layer_of(rel) if area == "src" else None
            for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                m = INCLUDE.match(line)
                why = m and offence(area, own, m.group(1))
                if why:
                    found.append(f"{area}/{rel}:{number}: {why}: {line.strip()}")
    return found


# (file, the include it holds, whether the checker must name it)
CASES = [
    ("src/platform/paths.cpp", "platform/paths.h", False),
    ("src/platform/win32/dispatch.cpp", "platform/error.h", False),
    ("src/platform/services.h", "excel/excel.h", True),
    ("src/excel/com/com_excel.cpp", "platform/win32/dispatch.h", False),
    ("src/fileinfo/addin_details.cpp", "excel/excel.h", True),
    ("src/excel/excel.h", "fileinfo/details.h", True),
    ("src/startup/startup.h", "excel/excel.h", False),
    ("src/startup/startup.h", "operations/services.h", True),
    ("src/operations/excel_start.cpp", "startup/running_excel.h", False),
    ("src/operations/install.cpp", "window/texts.h", True),
    ("src/window/texts.h", "operations/texts.h", False),
    ("src/window/win32/dialog.cpp", "window/steps.h", False),
    ("src/window/win32/dialog.cpp", "resource.h", False),
    ("src/console/console.cpp", "window/texts.h", True),
    ("src/window/steps.cpp", "console/console.h", True),
    ("src/console/console.cpp", "console/win32/entry.h", True),
    ("src/console/win32/quorvelc.cpp", "console/console.h", False),
    ("src/console/win32/quorvelc.cpp", "window/texts.h", False),
    ("src/main.cpp", "window/win32/dialog.h", False),
    ("standin/model/settings.cpp", "platform/paths.h", False),
    ("standin/com/title.cpp", "fileinfo/win32/summary_reader.h", False),
    ("standin/com/main.cpp", "model/settings.h", False),
    ("standin/model/settings.cpp", "startup/state.h", True),
    ("standin/com/main.cpp", "operations/texts.h", True),
    ("tools/make_xla.cpp", "fileinfo/win32/summary_writer.h", False),
    ("tools/bench/main.cpp", "operations/operations.h", False),
    ("tools/bench/main.cpp", "window/texts.h", False),
    ("tools/bench/main.cpp", "window/win32/resource.h", False),
    ("tools/texts_json.cpp.in", "window/texts.h", False),
    ("tools/bench/main.cpp", "window/steps.h", True),
    ("tools/bench/main.cpp", "console/win32/entry.h", True),
    ("tools/bench/main.cpp", "bench_world.h", False),
]


def self_test():
    failed = 0
    for file, target, named in CASES:
        with tempfile.TemporaryDirectory() as scratch:
            path = pathlib.Path(scratch, file)
            path.parent.mkdir(parents=True)
            path.write_text(f'#include <string>\n  # include "{target}"\n', encoding="utf-8")
            found = check(scratch)
        expected = [f"{file}:2:"] if named else []
        if [f.split(" ", 1)[0] for f in found] != expected:
            print(f"{file} including {target}: expected {'an offence' if named else 'none'}, got {found}")
            failed += 1
    print(f"{len(CASES) - failed} of {len(CASES)} cases pass")
    return 1 if failed else 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent
    found = check(root)
    for f in found:
        print(f)
    if found:
        print(f"{len(found)} include(s) against the rank table at the top of {pathlib.Path(__file__).name}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
