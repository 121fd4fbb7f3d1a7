#!/usr/bin/env python3
"""Checks that the source's includes run one way only:
platform -> excel, fileinfo -> startup, operations -> window -> the programs.
A file may include its own layer, or one below it. Exits 1 and names each offending line."""
import pathlib
import re
import sys

RANK = {"platform": 0, "excel": 1, "fileinfo": 1, "startup": 2, "operations": 2, "window": 3}
PROGRAMS = 4  # main.cpp, console/: they may include every layer
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/')


def rank_of(part):
    return RANK.get(part, PROGRAMS)


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent / "src")
    bad = 0
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".rc"):
            continue
        rel = path.relative_to(src)
        own = rank_of(rel.parts[0]) if len(rel.parts) > 1 else PROGRAMS
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            m = INCLUDE.match(line)
            if m and m.group(1) in RANK and RANK[m.group(1)] > own:
                print(f"{rel}:{number}: {rel.parts[0]}/ must not include {m.group(1)}/: {line.strip()}")
                bad += 1
    if bad:
        print(f"{bad} include(s) against the layer order platform -> excel, fileinfo -> startup, operations -> window")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
