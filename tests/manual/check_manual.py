#!/usr/bin/env python3
"""Checks the manual that the build wrote beside quorvel.exe against the wizard's own texts
and the screenshots the build took, then renders page 1 and a mode page for review.

usage: check_manual.py TEXTS_JSON PDF SHOTS_DIR REVIEW_DIR

Every message box the wizard can show has an entry in the manual's troubleshooting chapter.
MESSAGE_BOXES below is the one list of them; every other text of the texts.h files matches
WINDOW_TEXTS. A new text that is in neither fails the check, so a new message box gets its
entry: add it to MESSAGE_BOXES, and its entry to docs/manual/manual.html.
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

# Every message box the wizard can show, by the name of its first text, as the parts the
# wizard joins: texts by name, fixed line breaks, and ANY for what it fills in.
MESSAGE_BOXES = {
    # start-up
    "kExcelRunning": ["kExcelRunning", "\n", "kOpenFilesAre", "\n", "kWorkbookIndent", ANY, "\n",
                      "kOpenFilesEnd", "\n\n", "kPleaseQuitExcel"],
    "kExcelRunningHidden": ["kExcelRunningHidden", "\n", "kOpenFilesAre", "\n", "kNoOpenFiles", "\n\n",
                            "kPleaseQuitExcel"],
    "kVersionQuestion": ["kVersionQuestion"],
    "kVersionUnsupported": ["kVersionUnsupported"],
    "kRuntimeMissing": ["kRuntimeMissing"],
    "kUnsupportedFile1": ["kUnsupportedFile1", ANY, "kUnsupportedFile2"],
    "kOtherAccount1": ["kOtherAccount1", ANY, "kOtherAccount2"],
    # choosing a row or a folder
    "kNoTitle1": ["kNoTitle1", ANY, "kNoTitle2"],
    "kTitleConflict": ["kTitleConflict"],
    "kDriveRefused1": ["kDriveRefused1", ANY, "kDriveRefused2"],
    "kSelectAddinFile": ["kSelectAddinFile"],
    "kSelectAddin": ["kSelectAddin"],
    # the steps
    "kInvalidFolder1": ["kInvalidFolder1", ANY, "kInvalidFolder2"],
    "kAdminFolder1": ["kAdminFolder1", ANY, "kAdminFolder2", "kAdminUserFolderHint"],
    "kPathTooLong1": ["kPathTooLong1", ANY, "kPathTooLong2"],
    "kUnblockQuestion": ["kUnblockQuestion"],
    "kReadOnlyFile1": ["kReadOnlyFile1", ANY, "kReadOnlyFile2"],
    "kAddinSwitchedOn": ["kOpenQuote", ANY, "kAddinSwitchedOn"],
    "kExcelDidNotEnd": ["kExcelDidNotEnd"],
    "kStillRegistered": ["kStillRegistered"],
    "kEarlierExcelAlive1": ["kEarlierExcelAlive1", ANY, "kEarlierExcelAlive2"],
    "kHiddenExcelRunning1": ["kHiddenExcelRunning1", ANY, "kHiddenExcelRunning2"],
    "kExcelNotResponding": ["kExcelNotResponding"],
    "kFailureHeader": ["kFailureHeader", "\n\n", "kFailureWhat", ANY, "\n", "kFailureDetail", ANY, "\n",
                       "kFailureCode", ANY],
    "kClipboardBusy": ["kClipboardBusy", ANY],
}
# Messages that changes under way are adding: their entries wait, in the manual as here,
# until their texts exist (the manual leaves out a section whose data-needs names are missing).
COMING: set = set()
# The texts that are not message boxes (or are inserts into one, such as the operation a
# failure report names).
WINDOW_TEXTS = re.compile(r"k(OptCaption\d|OptTip\d|LblOpt\d|ListHeader\d|NextTip\d|Steps\d|Header\w+|"
                          r"Op(Excel|Copy|Delete|Clipboard|Registry|FileDetails|Window|CreateFolder)|"
                          r"Cmd\w+(Caption|Tip)|Label\d|LblMsg0Design|CbxFolderTip|TxtFolderTip|HelpText|VersionPrefix|"
                          r"NoCandidates|RunSuffix|CopyToClipboard|Install1Run|OpenFilter|ManualFile|AppTitle|"
                          r"AddinManagerKey\d|ExcelOptionsKey\d|(Install|Uninstall|Delete)Done|RuntimeFileName|"
                          r"AddinNotListed)")
# Where a test took a picture of a scratch folder: the tests record every path a picture
# shows or came from in <picture>.txt.
TEST_PATH = re.compile(r"qv-tests|\bTemp\b|\\root\\", re.I)
SHOTS = [f"mode{m}-row-selected" for m in range(7)] + ["mode0-done"]


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


def check_message_boxes(texts, body):
    """Every message box has its entry, by its exact text; every text is classified."""
    parts_of = {name for parts in MESSAGE_BOXES.values() for name in parts if isinstance(name, str)
                and name.startswith("k")}
    for name in texts:
        check(name in parts_of or WINDOW_TEXTS.fullmatch(name),
              f"{name} is a new text: a message box goes into MESSAGE_BOXES with an entry in the manual, "
              f"any other text into WINDOW_TEXTS")
    for key, parts in MESSAGE_BOXES.items():
        names = [p for p in parts if isinstance(p, str) and p.startswith("k")]
        missing = [n for n in names if n not in texts]
        if key in COMING and len(missing) == len(names):
            continue
        if missing:
            check(False, f"message {key}: no text named {', '.join(missing)}")
            continue
        check(re.search(message_pattern(texts, parts), body),
              f"troubleshooting: the message {key} has no entry, or not with its exact text")


def check_typesetting(pages):
    """Japanese has no blank after its full stop or comma: one there came from a line break
    in the source."""
    for number, page in enumerate(pages, 1):
        for m in re.finditer(r"[。、][ \u00a0]", page):
            check(False, f"page {number}: a blank after 「{m.group(0)[0]}」: …{page[max(0, m.start() - 20):m.end() + 10]}…")


def check_shot_records(shots):
    """The pictures show the folders a user would have, never a test's scratch folder."""
    for name in SHOTS:
        record = shots / f"{name}.txt"
        check(record.is_file(), f"{name}: the test recorded no paths for its picture")
    for record in sorted(shots.glob("*.txt")):
        for line in record.read_text(encoding="utf-8").splitlines():
            check(not TEST_PATH.search(line), f"{record.stem}: the picture shows a test's path: {line}")


def main(argv):
    texts = json.loads(Path(argv[1]).read_text(encoding="utf-8"))
    pdf, shots, review = Path(argv[2]), Path(argv[3]), Path(argv[4])
    pages = run("pdftotext", "-enc", "UTF-8", str(pdf), "-").decode("utf-8").split("\f")
    body = "\n".join(shown(page) for page in pages)

    info = run("pdfinfo", str(pdf)).decode()
    count = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    check(15 <= count <= 32, f"{count} pages; the manual should have 15 to 32")
    check(re.search(r"^Page size:\s+595\.\d* x 841\.\d* pts \(A4\)", info, re.M), "pages are not A4")
    check(b"/Outlines" in pdf.read_bytes(), "no bookmarks (document outline)")

    fonts = run("pdffonts", str(pdf)).decode().splitlines()[2:]
    check(fonts, "pdffonts lists no font")
    for line in fonts:
        check(line.split()[-5] == "yes", f"font not embedded: {line}")

    for mode in range(7):
        check(texts[f"kOptCaption{mode}"] in body, f"mode {mode}: caption missing")
        check(shown(texts[f"kSteps{mode}"]) in body, f"mode {mode}: step list missing or not line for line")

    check_message_boxes(texts, body)
    check_typesetting(pages)

    with tempfile.TemporaryDirectory() as tmp:
        run("pdfimages", "-png", str(pdf), f"{tmp}/img")
        embedded = [Image.open(p).convert("RGB") for p in sorted(Path(tmp).glob("img-*.png"))]
        for name in SHOTS:
            shot = Image.open(shots / f"{name}.png").convert("RGB")
            same = any(e.size == shot.size and e.tobytes() == shot.tobytes() for e in embedded)
            check(same, f"{name}: the screenshot is not in the PDF pixel for pixel")
    check_shot_records(shots)

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
