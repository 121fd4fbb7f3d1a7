#!/usr/bin/env python3
"""Runs the release command twice over the current build and checks the zip: exactly the
expected files, all in one top-level folder QuorvelSP-<version>/, UTF-8 flagged names, the built exe and manual unchanged, Windows-ready
text files, the SHA-256 it prints, and the same bytes both times.

usage: check_release.py CHECKOUT
"""
import hashlib
import re
import subprocess
import sys
import zipfile
from pathlib import Path

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def release(root):
    out = subprocess.run(["bash", str(root / "scripts/release.sh")], check=True, capture_output=True, text=True)
    digest, path = out.stdout.strip().split(None, 1)
    zipped = Path(path).read_bytes()
    check(hashlib.sha256(zipped).hexdigest() == digest, "the printed SHA-256 is not the zip's")
    return Path(path), zipped


def main(root):
    win = root / "build/win"
    version = re.search(r"project\(\w+ VERSION (\d+\.\d+\.\d+)", (root / "CMakeLists.txt").read_text()).group(1)
    path, first = release(root)
    _, second = release(root)
    check(first == second, "two runs over the same build gave different zips")
    check(path.name == f"QuorvelSP-{version}-win-x64.zip", f"zip named {path.name}, version {version}")

    top = f"QuorvelSP-{version}/"
    expected = ["quorvel.exe", "quorvelc.exe", "操作説明.pdf", "お読みください.txt", "LICENSE", "THIRD-PARTY-NOTICES.txt"]
    with zipfile.ZipFile(path) as zf:
        members = zf.infolist()
        names = [m.filename for m in members]
        # The folder first, so that "extract here" makes it; then its files, and nothing beside it.
        check(names == [top] + [top + n for n in expected], f"zip holds {names}")
        check(members and members[0].is_dir(), f"{top} is not stored as a folder")
        for m in members:
            check(m.flag_bits & 0x800, f"{m.filename}: no UTF-8 flag")
        # also compares local and central names
        data = {m.filename.removeprefix(top): zf.read(m) for m in members if not m.is_dir()}

    check(data.get("quorvel.exe") == (win / "quorvel.exe").read_bytes(), "quorvel.exe differs from the build's")
    check(data.get("quorvelc.exe") == (win / "quorvelc.exe").read_bytes(), "quorvelc.exe differs from the build's")
    check(data.get("操作説明.pdf") == (win / "操作説明.pdf").read_bytes(), "操作説明.pdf differs from the build's")
    readme = data.get("お読みください.txt", b"")
    check(readme.startswith(b"\xef\xbb\xbf"), "お読みください.txt has no BOM")
    for name in ("お読みください.txt", "LICENSE", "THIRD-PARTY-NOTICES.txt"):
        text = data.get(name, b"")
        check(text and text.count(b"\n") == text.count(b"\r\n"), f"{name}: not CR LF throughout")
    check(f"Ver {version}".encode() in readme, "お読みください.txt does not name the version")
    check(data.get("LICENSE", b"").replace(b"\r\n", b"\n") == (root / "LICENSE").read_bytes(),
          "LICENSE differs from the repository's")

    for f in failures:
        print(f"check_release: FAILED: {f}")
    print(f"check_release: {'FAILED' if failures else 'passed'} ({path.name})")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    sys.exit(main(Path(sys.argv[1]).resolve()))
