#!/usr/bin/env python3
"""Draws the programs' icon and writes it as one multi-size .ico.

usage: draw_icon.py OUT_ICO

A rounded green tile with a white ring open at its lower right, the Q of Quorvel, and a
small tile in that gap: an add-in taking its place. Each size is drawn on its own at four times
its size and reduced, so that the small ones keep their shapes. Pillow writes every size as a
PNG image without dates or text chunks, so the same script always gives the same bytes.
"""
import sys

from PIL import Image, ImageDraw

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
SCALE = 4
GREEN = (23, 120, 78, 255)
DARK = (12, 78, 50, 255)
WHITE = (255, 255, 255, 255)
GOLD = (247, 190, 40, 255)


def draw(size):
    n = size * SCALE
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    edge = max(1, n // 32)
    d.rounded_rectangle((edge, edge, n - 1 - edge, n - 1 - edge), radius=n // 5, fill=GREEN, outline=DARK,
                        width=max(SCALE, n // 40))
    # The ring of the Q, open towards the lower right.
    ring = (n * 0.20, n * 0.18, n * 0.78, n * 0.76)
    d.arc(ring, start=60, end=20, fill=WHITE, width=max(2 * SCALE, int(n * 0.12)))
    # The add-in that completes it.
    s = n * 0.22
    x, y = n * 0.62, n * 0.62
    d.rounded_rectangle((x, y, x + s, y + s), radius=n * 0.04, fill=GOLD, outline=DARK, width=max(SCALE // 2, n // 64))
    return img.resize((size, size), Image.Resampling.LANCZOS)


def main(argv):
    if len(argv) != 2:
        raise SystemExit(__doc__)
    images = [draw(s) for s in SIZES]
    largest = images[-1]
    largest.save(argv[1], format="ICO", sizes=[(s, s) for s in SIZES], append_images=images[:-1])


if __name__ == "__main__":
    main(sys.argv)
