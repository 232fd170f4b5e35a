#!/usr/bin/python3
"""Draws the hamburger of make_icon.py at any size for the web page's manifest.

The same drawing, in the 32-unit grid of make_icon.py and with its colours, but as
shapes rather than pixels: the rounded bun, the layers with their rows, the seeds and
the wavy lettuce, drawn four times larger and reduced, so that 192 and 512 pixel icons
have smooth edges instead of blown-up squares.
Usage: make_web_icons.py OUT_DIR [SIZE ...]  (default sizes 192 and 512; writes icon-SIZE.png)
Deterministic with the same Pillow (Debian's python3-pil).
"""
import math
import pathlib
import sys

from PIL import Image, ImageDraw

import make_icon as icon

SUPERSAMPLE = 4
TOP, BOTTOM, LEFT, RIGHT = 5, 28, 1, 31  # the burger's box in grid units (rows 5..27, columns 1..30)
TOP_RADIUS = (10, 6.5)  # the bun's rounded top, wide and low, as in the pixel rows 5..10
BOTTOM_RADIUS = (4, 3)
SEEDS = [(10, 8), (15, 7), (20, 8), (13, 10), (18, 10), (24, 10), (7, 10)]
# Layers below the top bun: first row, last row + 1, colour.
LAYERS = [(12, 13, icon.BUN_DARK), (13, 15, icon.LETTUCE), (15, 16, icon.CHEESE), (16, 18, icon.TOMATO),
          (18, 22, icon.MEAT), (22, 23, icon.MEAT_DARK), (23, 26, icon.BUN), (26, BOTTOM, icon.BUN_DARK)]


def silhouette(scale):
    """The burger's outline as a polygon, corners as quarter ellipses."""
    def corner(cx, cy, rx, ry, start):
        return [(scale * (cx + rx * math.cos(a)), scale * (cy + ry * math.sin(a)))
                for a in (math.radians(start + 90 * i / 24) for i in range(25))]

    (tx, ty), (bx, by) = TOP_RADIUS, BOTTOM_RADIUS
    return (corner(LEFT + tx, TOP + ty, tx, ty, 180) + corner(RIGHT - tx, TOP + ty, tx, ty, 270)
            + corner(RIGHT - bx, BOTTOM - by, bx, by, 0) + corner(LEFT + bx, BOTTOM - by, bx, by, 90))


def draw(size):
    big = size * SUPERSAMPLE
    s = big / icon.SIZE
    fill = Image.new("RGBA", (big, big), icon.BUN + (255,))
    d = ImageDraw.Draw(fill)
    for first, last, colour in LAYERS:
        d.rectangle([0, first * s, big, last * s], fill=colour + (255,))
    # The lettuce hangs over the cheese in waves; the meat has darker streaks.
    wave = [(x * s / 4, (15 + 0.5 + 0.5 * math.sin(x * math.pi / 6)) * s) for x in range(0, 4 * icon.SIZE + 1)]
    d.polygon([(0, 15 * s)] + wave + [(big, 15 * s)], fill=icon.LETTUCE + (255,))
    for i in range(-4, 8):
        x = i * 5 * s
        d.line([(x, 22 * s), (x + 4 * s, 18 * s)], fill=icon.MEAT_DARK + (255,), width=max(1, round(s * 0.8)))
    for x, y in SEEDS:
        d.ellipse([(x - 0.1) * s, (y - 0.05) * s, (x + 1.1) * s, (y + 0.75) * s], fill=icon.SESAME + (255,))

    outline = silhouette(s)
    mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(mask).polygon(outline, fill=255)
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    image.paste(fill, (0, 0), mask)
    ImageDraw.Draw(image).line(outline + outline[:1], fill=icon.OUTLINE + (255,), width=round(s), joint="curve")
    return image.resize((size, size), Image.LANCZOS)


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for size in [int(n) for n in sys.argv[2:]] or [192, 512]:
        # 64 colours: the drawing has a handful, and its smoothed edges lose nothing visible; a quarter of the bytes.
        draw(size).quantize(64, method=Image.Quantize.FASTOCTREE).save(out / f"icon-{size}.png", "PNG", optimize=True)


if __name__ == "__main__":
    main()
