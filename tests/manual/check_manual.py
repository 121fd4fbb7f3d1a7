#!/usr/bin/env python3
"""Checks the manual that the build wrote beside quorvel.exe against the wizard's own texts
and the screenshots the build took, then renders page 1 and a mode page for review.

usage: check_manual.py TEXTS_JSON PDF SHOTS_DIR REVIEW_DIR
"""
import json
import re
import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image

ANY = object()  # a part of a message that the wizard fills in (a path, a workbook name)
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True).stdout


def shown(text):
    """Lines as the window or the message box shows them, compared the way pdftotext can
    give them back: it has no text for an empty line, nor for the blanks that indent one."""
    lines = (l.lstrip(" \u3000").rstrip() for l in text.replace("\r\n", "\n").split("\n"))
    return "\n".join(l for l in lines if l)


def message_pattern(texts, parts):
    raw = "".join("\0" if p is ANY else texts[p] if p.startswith("k") else p for p in parts)
    return "[^\n]+".join(re.escape(piece) for piece in shown(raw).split("\0"))


def main(argv):
    texts = json.loads(Path(argv[1]).read_text(encoding="utf-8"))
    pdf, shots, review = Path(argv[2]), Path(argv[3]), Path(argv[4])
    pages = run("pdftotext", "-enc", "UTF-8", str(pdf), "-").decode("utf-8").split("\f")
    body = "\n".join(shown(page) for page in pages)

    info = run("pdfinfo", str(pdf)).decode()
    count = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    check(8 <= count <= 15, f"{count} pages; the manual should have 8 to 15")
    check(re.search(r"^Page size:\s+595\.\d* x 841\.\d* pts \(A4\)", info, re.M), "pages are not A4")
    check(b"/Outlines" in pdf.read_bytes(), "no bookmarks (document outline)")

    fonts = run("pdffonts", str(pdf)).decode().splitlines()[2:]
    check(fonts, "pdffonts lists no font")
    for line in fonts:
        check(line.split()[-5] == "yes", f"font not embedded: {line}")

    for mode in range(7):
        check(texts[f"kOptCaption{mode}"] in body, f"mode {mode}: caption missing")
        check(shown(texts[f"kSteps{mode}"]) in body, f"mode {mode}: step list missing or not line for line")

    messages = {
        "Excel running": ["kExcelRunning", "\n", "kOpenFilesAre", "\n", "kWorkbookIndent", ANY, "\n",
                          "kOpenFilesEnd", "\n\n", "kPleaseQuitExcel"],
        "Excel running hidden": ["kExcelRunningHidden"],
        "version question": ["kVersionQuestion"],
        "version refused": ["kVersionUnsupported"],
        "runtime": ["kRuntimeMissing"],
        "file in use": ["kFailureHeader", "\n\n", "kFailureWhat", "kOpCopy", "\n", "kFailureDetail", ANY, "\n",
                        "kFailureCode", ANY],
        "administrator rights": ["kAdminFolder1", ANY, "kAdminFolder2", "kAdminUserFolderHint"],
        "path limit": ["kPathTooLong1", ANY, "kPathTooLong2"],
        "busy clipboard": ["kClipboardBusy", ANY],
        "Excel did not end": ["kExcelDidNotEnd"],
    }
    for name, parts in messages.items():
        check(re.search(message_pattern(texts, parts), body), f"troubleshooting: {name} message missing or changed")

    with tempfile.TemporaryDirectory() as tmp:
        run("pdfimages", "-png", str(pdf), f"{tmp}/img")
        embedded = [Image.open(p).convert("RGB") for p in sorted(Path(tmp).glob("img-*.png"))]
        for mode in range(7):
            shot = Image.open(shots / f"mode{mode}-row-selected.png").convert("RGB")
            same = any(e.size == shot.size and e.tobytes() == shot.tobytes() for e in embedded)
            check(same, f"mode {mode}: the screenshot is not in the PDF pixel for pixel")

    review.mkdir(parents=True, exist_ok=True)
    run("pdftoppm", "-png", "-r", "110", "-singlefile", "-f", "1", "-l", "1", str(pdf), str(review / "manual-page1"))
    first_step = texts["kSteps0"].split("\r\n")[0]
    mode_page = next((i + 1 for i, p in enumerate(pages) if first_step in p), None)
    check(mode_page, "no page shows the steps of mode 0")
    if mode_page:
        run("pdftoppm", "-png", "-r", "110", "-singlefile", "-f", str(mode_page), "-l", str(mode_page),
            str(pdf), str(review / "manual-mode"))

    for f in failures:
        print(f"check_manual: FAILED: {f}")
    print(f"check_manual: {'FAILED' if failures else 'passed'} ({count} pages; review {review}/manual-*.png)")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 5:
        raise SystemExit(__doc__)
    sys.exit(main(sys.argv))
