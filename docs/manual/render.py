#!/usr/bin/env python3
"""Renders the manual: fills manual.html's marks from the wizard's texts and the build's
screenshots, then typesets it to PDF with WeasyPrint.

usage: render.py TEXTS_JSON SHOTS_DIR VERSION OUT_PDF [OUT_HTML]
"""
import html
import json
import re
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
MARK = re.compile(r"\{\{(?:(\w+):)?([^{}]*)\}\}")
PART = re.compile(r'\s*(k\w+|"(?:[^"\\]|\\.)*")\s*(?:\+|$)')
ICONS = {"critical", "question", "information", "warning"}
# A message box's buttons, as a Japanese Windows labels them; the default one comes last in
# the name (yesno-no: はい and いいえ, いいえ being the default).
BUTTONS = {
    "ok": (["OK"], 0),
    "yesno": (["はい(Y)", "いいえ(N)"], 0),
    "yesno-no": (["はい(Y)", "いいえ(N)"], 1),
    "yesnocancel-no": (["はい(Y)", "いいえ(N)", "キャンセル"], 1),
}
# The closing characters of a paragraph or a list item are kept on one line, so that a
# sentence's last word never stands alone on the next line.
TAIL_CHARS = 6
TAIL = re.compile(r"(<(p|li)\b[^>]*>)((?:(?!</?(?:p|li|ul|ol)\b).)*?)([^<>&]{%d,})(</\2>)" % TAIL_CHARS, re.S)
# A part of the manual that only applies once the wizard has certain texts: a message box
# that another change is still adding. It is left out while any of the names is missing.
NEEDS = re.compile(r'<section\b[^>]*\bdata-needs="([^"]*)"[^>]*>.*?</section>', re.S)
# A line break in the source next to a Japanese character (or any other non-ASCII one) would
# become a blank between two sentences; Japanese text has none.
JOINED_LINE = re.compile(r"(?<=[^\x00-\x7f])[ \t]*\n\s*|[ \t]*\n\s*(?=[^\x00-\x7f])")


def screen_lines(text):
    """The lines as the window or the message box shows them: CR LF or LF ends a line."""
    return text.replace("\r\n", "\n").split("\n")


def line_block(text, css_class):
    # One element per line keeps every line a line of its own in the PDF, leading
    # ideographic spaces included; an empty line keeps its height.
    rows = "".join(f'<div class="line">{html.escape(l) if l else "&#160;"}</div>'
                   for l in screen_lines(text))
    return f'<div class="{css_class}">{rows}</div>'


class Manual:
    def __init__(self, texts, shots, version):
        self.texts, self.shots, self.version = texts, shots, version

    def text(self, name):
        if name not in self.texts:
            raise SystemExit(f"render.py: no text named {name} in the wizard's texts")
        return self.texts[name]

    def joined(self, expression):
        """a + "b" + c: texts by name and quoted examples (JSON string syntax)."""
        out, pos = [], 0
        while pos < len(expression):
            m = PART.match(expression, pos)
            if not m or m.end() == pos:
                raise SystemExit(f"render.py: cannot read the message {expression!r}")
            token = m.group(1)
            out.append(json.loads(token) if token.startswith('"') else self.text(token))
            pos = m.end()
        return "".join(out)

    def shot(self, which):
        """{{shot:N}}: mode N with a row selected; {{shot:done}}: an install's result line."""
        name = "mode0-done" if which == "done" else f"mode{which}-row-selected"
        png = self.shots / f"{name}.png"
        if not png.is_file():
            raise SystemExit(f"render.py: missing screenshot {png}")
        alt = self.text("kOptCaption" + ("0" if which == "done" else which))
        return f'<div class="shot"><img src="{png.as_uri()}" alt="{html.escape(alt)}"></div>'

    def box(self, mark):
        kind, _, expression = mark.partition("|")
        icon, _, buttons = kind.partition(" ")
        if icon not in ICONS:
            raise SystemExit(f"render.py: unknown message box icon {icon!r}")
        if (buttons or "ok") not in BUTTONS:
            raise SystemExit(f"render.py: unknown message box buttons {buttons!r}")
        labels, default = BUTTONS[buttons or "ok"]
        row = "".join(f'<span class="msgbox-button{" default" if i == default else ""}">{html.escape(l)}</span>'
                      for i, l in enumerate(labels))
        return ('<div class="msgbox">'
                f'<div class="msgbox-title">{html.escape(self.text("kAppTitle"))}</div>'
                f'<div class="msgbox-body"><div class="msgbox-icon {icon}"></div>'
                f'{line_block(self.joined(expression), "msgbox-text")}</div>'
                f'<div class="msgbox-buttons">{row}</div></div>')

    def fill(self, match):
        kind, arg = match.group(1), match.group(2)
        if kind is None and arg == "version":
            return html.escape(self.version)
        if kind is None and arg == "help":
            return line_block(self.text("kHelpText").rstrip("\r\n"), "helptext")
        if kind is None and arg == "toc":
            return match.group(0)  # filled once the headings are known
        if kind is None:
            text = self.text(arg)
            if "\n" in text:
                raise SystemExit(f"render.py: {arg} has line breaks; use a steps or box mark")
            return html.escape(text)
        if kind == "steps":
            return line_block(self.text("kSteps" + arg), "textbox")
        if kind == "shot":
            return self.shot(arg)
        if kind == "box":
            return self.box(arg)
        raise SystemExit(f"render.py: unknown mark {match.group(0)!r}")


def contents(page):
    """The table of contents from the chapter (h1) and section (h2) headings with an id."""
    items = []
    for level, ident, title in re.findall(r'<h([12]) id="([^"]+)"[^>]*>(.*?)</h\1>', page, re.S):
        items.append(f'<li class="l{level}"><a href="#{ident}">{title}</a></li>')
    return "<ul>" + "".join(items) + "</ul>"


def keep_tail(m):
    """<p>…words</p> becomes <p>…wo<span class="tail">rds</span></p>."""
    start, _, body, text, end = m.groups()
    cut = len(text) - TAIL_CHARS
    return f'{start}{body}{text[:cut]}<span class="tail">{text[cut:]}</span>{end}'


def main(argv):
    if len(argv) not in (5, 6):
        raise SystemExit(__doc__)
    texts = json.loads(Path(argv[1]).read_text(encoding="utf-8"))
    manual = Manual(texts, Path(argv[2]).resolve(), argv[3])
    page = (HERE / "manual.html").read_text(encoding="utf-8")
    page = re.sub(r"<!--.*?-->", "", page, flags=re.S)
    page = NEEDS.sub(lambda m: m.group(0) if all(n in texts for n in m.group(1).split()) else "", page)
    page = MARK.sub(manual.fill, page)
    # After the marks: a text filled in where the source broke a line joins up as well. The
    # filled texts' own line breaks are elements by now, so none of them is touched.
    # A command block keeps its lines as written.
    page = "".join(part if part.startswith('<div class="cmd">') else JOINED_LINE.sub("", part)
                   for part in re.split(r'(<div class="cmd">.*?</div>)', page, flags=re.S))
    page = TAIL.sub(keep_tail, page)
    page = page.replace("{{toc}}", contents(page))
    if len(argv) == 6:
        Path(argv[5]).write_text(page, encoding="utf-8")

    from weasyprint import CSS, HTML  # only needed for the PDF itself
    doc = HTML(string=page, base_url=str(HERE))
    doc.write_pdf(argv[4], stylesheets=[CSS(filename=str(HERE / "manual.css"))])


if __name__ == "__main__":
    main(sys.argv)
