#!/usr/bin/env python3
"""Checks the manual that the build wrote beside quorvel.exe against the wizard's own texts
and the screenshots the build took, then renders page 1 and a mode page for review.

usage: check_manual.py TEXTS_JSON PDF SHOTS_DIR REVIEW_DIR HTML

HTML is the page that render.py typeset, with its marks filled; docs/manual/manual.css is read
beside it for the message boxes' and the code's layout.

Every message box the wizard can show has an entry in the manual's troubleshooting chapter.
MESSAGE_BOXES below is the one list of them; every other text of the texts.h files matches
WINDOW_TEXTS. A new text that is in neither fails the check, so a new message box gets its
entry: add it to MESSAGE_BOXES, and its entry to docs/manual/manual.html.
"""
import html
from html.parser import HTMLParser
import json
import re
import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFont

CSS = Path(__file__).resolve().parents[2] / "docs" / "manual" / "manual.css"

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
    "kMarkNotSet1": ["kMarkNotSet1", ANY, "kMarkClose"],
    "kMarkNotRemoved1": ["kMarkNotRemoved1", ANY, "kMarkClose"],
    "kMarkNotKept1": ["kMarkNotKept1", ANY, "kMarkClose"],
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
KANA = "\u3041-\u30ff"
# Japanese: kana, kanji, and the full-width forms and punctuation.
JAPANESE = "\u3000-\u30ff\u4e00-\u9fff\uff01-\uff5e"
# Names that Windows and Office themselves spell with a blank between two katakana words.
MICROSOFT_NAMES = ["タスク マネージャー", "トラスト センター", "セキュリティ センター", "スマート アプリ コントロール"]
# A table of more rows than this may break across a page, and then needs its header row
# repeated: a <thead>.
ROWS_ON_ONE_PAGE = 5


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


def flat(text):
    """Text without its blanks and line breaks: a message box wraps its long lines at the width of
    its picture, as a real one does, so a line of the text may come back as two."""
    return re.sub(r"[\s\u3000]+", "", text)


def message_pattern(texts, parts):
    raw = "".join("\0" if p is ANY else texts[p] if p.startswith("k") else p for p in parts)
    return ".+?".join(re.escape(flat(piece)) for piece in raw.split("\0"))


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
        check(re.search(message_pattern(texts, parts), flat(body)),
              f"troubleshooting: the message {key} has no entry, or not with its exact text")


def check_typesetting(pages):
    """Japanese has no blank after its full stop or comma: one there came from a line break
    in the source."""
    for number, page in enumerate(pages, 1):
        for m in re.finditer(r"[。、][ \u00a0]", page):
            check(False, f"page {number}: a blank after 「{m.group(0)[0]}」: …{page[max(0, m.start() - 20):m.end() + 10]}…")


def check_kana_blanks(pages):
    """No half-width blank between two kana, but in the names Microsoft spells so."""
    for number, page in enumerate(pages, 1):
        for name in MICROSOFT_NAMES:
            page = page.replace(name, name.replace(" ", ""))
        for m in re.finditer(f"[{KANA}] [{KANA}]", page):
            check(False, f"page {number}: a blank between two kana: …{page[max(0, m.start() - 15):m.end() + 15]}…")


class Prose(HTMLParser):
    """The manual's own sentences from the rendered HTML: without the wizard's texts quoted as
    blocks (steps, help, message boxes), code and command blocks."""
    SKIP = {"textbox", "helptext", "msgbox", "cmd"}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.text, self.skipping = [], []

    def handle_starttag(self, tag, attrs):
        if tag in ("br", "img", "meta"):
            return
        classes = set((dict(attrs).get("class") or "").split())
        skip = bool(self.skipping and self.skipping[-1]) or tag in ("code", "head", "style") or bool(classes & self.SKIP)
        self.skipping.append(skip)
        if skip and not (len(self.skipping) > 1 and self.skipping[-2]):
            self.text.append("·")

    def handle_endtag(self, tag):
        if tag not in ("br", "img", "meta") and self.skipping:
            self.skipping.pop()

    def handle_data(self, data):
        if not (self.skipping and self.skipping[-1]):
            self.text.append(data)


def prose(page):
    """The manual's own sentences, with what stands inside 「」 (names as a screen spells them)
    left out."""
    parser = Prose()
    parser.feed(page)
    return re.sub(r"「[^「」]*」", "「」", "".join(parser.text))


def check_latin_spacing(page):
    """One rule for Latin and Japanese side by side: no blank between them."""
    text = prose(page)
    for m in re.finditer(f"[A-Za-z0-9][ \u00a0][{JAPANESE}]|[{JAPANESE}][ \u00a0][A-Za-z0-9]", text):
        check(False, f"a blank between Latin and Japanese text: …{text[max(0, m.start() - 15):m.end() + 15]}…")


def check_headings(page):
    """A heading has no blank before a full-width parenthesis."""
    for level, title in re.findall(r"<h([1-3])\b[^>]*>(.*?)</h\1>", page, re.S):
        title = re.sub(r"<[^>]+>", "", title)
        check(not re.search("[ \u00a0\u3000]（", title), f"heading h{level} 「{title}」: a blank before 「（」")


def check_tables(page):
    """A table that may break across pages repeats its header: the header row is a <thead>."""
    for table in re.findall(r"<table\b.*?</table>", page, re.S):
        rows = len(re.findall(r"<tr\b", table))
        first = re.sub(r"<[^>]+>", " ", table)[:60].split()
        check(rows <= ROWS_ON_ONE_PAGE or re.search(r"<thead>\s*<tr\b", table),
              f"a table of {rows} rows has no <thead> for its header row: {' '.join(first)}")


def css_rules(css):
    """{selector: {property: value}} for the plain rules of the manual's CSS."""
    rules = {}
    css = re.sub(r"/\*.*?\*/", "", css, flags=re.S)
    for selectors, body in re.findall(r"([^{}@]+)\{([^{}]*)\}", css):
        props = dict((k.strip(), v.strip()) for k, _, v in
                     (d.partition(":") for d in body.split(";") if ":" in d))
        for selector in selectors.split(","):
            rules.setdefault(" ".join(selector.split()), {}).update(props)
    return rules


def mm(value, font_pt=None):
    m = re.fullmatch(r"([\d.]+)(mm|pt|px)?", value.strip())
    if not m:
        raise ValueError(f"cannot read the length {value!r}")
    number, unit = float(m.group(1)), m.group(2)
    return {"mm": number, "pt": number * 25.4 / 72, "px": number * 25.4 / 96, None: number}[unit]


def box_sides(value):
    """A CSS padding value: (top, right, bottom, left) in mm."""
    parts = [mm(v) for v in value.split()]
    parts += [parts[0]] * (4 - len(parts)) if len(parts) == 1 else []
    if len(parts) == 2:
        parts = parts * 2
    if len(parts) == 3:
        parts.append(parts[1])
    return parts


def font_file(family):
    out = run("fc-match", "-f", "%{file}\n%{family}", family).decode()
    path, families = out.split("\n", 1)
    return path if family.lower() in (f.strip().lower() for f in families.split(",")) else None


def check_message_box_lines(page, rules):
    """Every line of a message box fits the box's text column as the CSS lays it out: a line
    wider than the column must wrap (white-space pre-wrap), and a run that cannot be broken
    (a path) must fit or be allowed to break (overflow-wrap)."""
    box, body, icon = rules[".msgbox"], rules[".msgbox-body"], rules[".msgbox-icon"]
    line = rules.get(".msgbox-text .line", {})
    _, right, _, left = box_sides(body["padding"])
    column = mm(box["width"]) - left - right - mm(icon["width"]) - mm(icon.get("margin-right", "0"))
    size_pt = float(re.match(r"[\d.]+", body["font-size"]).group(0))
    family = re.findall(r'"([^"]+)"', css_rules(CSS.read_text(encoding="utf-8"))["html"]["font-family"])[0]
    font = ImageFont.truetype(font_file(family), 100)
    width = lambda text: font.getlength(text) / 100 * size_pt * 25.4 / 72
    wraps = line.get("white-space") in ("pre-wrap", "normal", "pre-line")
    breaks_anywhere = line.get("overflow-wrap") in ("break-word", "anywhere")
    for block in re.findall(r'<div class="msgbox-text">(.*?)</div></div>', page, re.S):
        for text in re.findall(r'<div class="line">(.*?)</div>', block, re.S):
            text = html.unescape(text)
            if width(text) <= column:
                continue
            check(wraps, f"a message box line is {width(text):.0f} mm wide, its box {column:.0f} mm, "
                         f"and it does not wrap: {text}")
            for run_ in re.findall(r"[\x21-\x7e]+", text):
                check(breaks_anywhere or width(run_) <= column,
                      f"a message box line holds {run_}, {width(run_):.0f} mm, wider than its box ({column:.0f} mm)")


def ink(font, char):
    image = Image.new("L", (200, 200), 0)
    ImageDraw.Draw(image).text((50, 20), char, font=font, fill=255)
    return image.point(lambda v: 255 if v > 128 else 0)


def mirror_overlap(font, char):
    """How much of a glyph lies on itself mirrored left to right (1: symmetric)."""
    image = ink(font, char)
    box = image.getbbox()
    image = image.crop(box)
    both = ImageChops.logical_and(image.convert("1"), image.transpose(Image.FLIP_LEFT_RIGHT).convert("1"))
    total = sum(1 for v in image.getdata() if v)
    return sum(1 for v in both.getdata() if v) / max(total, 1)


def check_code_font(rules, fonts):
    """Code is set in a font whose backslash is a backslash (not a yen sign, which is mirror
    symmetric) and whose double quote is the straight ASCII one (mirror symmetric, unlike ”),
    and that font is in the PDF."""
    for selector in ("code", ".cmd"):
        families = re.findall(r'"([^"]+)"', rules.get(selector, {}).get("font-family", ""))
        check(families, f"{selector} names no font")
        if not families:
            continue
        path = font_file(families[0])
        check(path, f"{selector}: the font {families[0]} is not installed")
        if not path:
            continue
        font = ImageFont.truetype(path, 120)
        check(mirror_overlap(font, "\\") < 0.5, f"{selector}: {families[0]} draws the backslash as another sign (¥?)")
        check(mirror_overlap(font, '"') > 0.8, f"{selector}: {families[0]} draws the double quote curly")
        embedded = re.sub(r"[\s-]", "", families[0]).lower()
        check(any(embedded in re.sub(r"[\s-]", "", line.split()[0]).lower() for line in fonts),
              f"{selector}: {families[0]} is not in the PDF")


def check_page_fill(pdf, count):
    """No page but the cover is almost empty: its text ends in the top fifth and it holds no picture."""
    with_images = set()
    for line in run("pdfimages", "-list", str(pdf)).decode().splitlines()[2:]:
        with_images.add(int(line.split()[0]))
    layout = run("pdftotext", "-bbox", str(pdf), "-").decode("utf-8")
    for number, page in enumerate(re.findall(r"<page\b(.*?)</page>", layout, re.S), 1):
        height = float(re.search(r'height="([\d.]+)"', page).group(1))
        bottoms = [float(y) for y in re.findall(r'yMax="([\d.]+)"', page)]
        # the running head and the page number are not content
        content = [y for y in bottoms if height * 0.06 < y < height * 0.94]
        lowest = max(content, default=0)
        check(number == 1 or number in with_images or lowest > height * 0.2,
              f"page {number} of {count} is almost empty")


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
    page = Path(argv[5]).read_text(encoding="utf-8")
    rules = css_rules(CSS.read_text(encoding="utf-8"))
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
    check_kana_blanks(pages)
    check_latin_spacing(page)
    check_headings(page)
    check_tables(page)
    check_message_box_lines(page, rules)
    check_code_font(rules, fonts)
    check_page_fill(pdf, count)

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
    if len(sys.argv) != 6:
        raise SystemExit(__doc__)
    sys.exit(main(sys.argv))
