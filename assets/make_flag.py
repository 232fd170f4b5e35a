#!/usr/bin/python3
"""Renders flag.jpg: the Danish flag waving on its pole against a summer sky.

250 x 159 pixels, baseline JPEG (JFIF 1.01, YCbCr, chroma halved both ways),
96 dpi. Deterministic: the same Pillow (Debian's python3-pil) writes the same
bytes. Run from anywhere: ./make_flag.py (it says how much of the picture is
white and how much grey)
"""
import math
import pathlib
import random

from PIL import Image

SIZE = (250, 159)
SCALE = 3  # drawn three times larger, then reduced: smooth edges
WIDTH, HEIGHT = SIZE[0] * SCALE, SIZE[1] * SCALE
RED = (200, 16, 46)
WHITE = (246, 246, 242)
# The cross on a 37 x 28 field: the upright band at 12..16 of 37, the level one at 12..16 of 28.
UPRIGHT = (12 / 37, 16 / 37)
LEVEL = (12 / 28, 16 / 28)
POLE_X = 14 * SCALE
FLAG_LEFT, FLAG_TOP, FLAG_W, FLAG_H = POLE_X + 4 * SCALE, 16 * SCALE, 222 * SCALE, 128 * SCALE


def sky(x, y):
    t = y / HEIGHT
    return (int(92 + 70 * t), int(150 + 60 * t), int(222 + 25 * t))


# The cloth waves in 1.35 folds along its length. Light follows the slope of the
# cloth, so the brightest crest lies on the upright band of the cross and the
# darkest folds fall at the hoist and two thirds of the way to the fly.
FOLDS = 1.35
CREST = (UPRIGHT[0] + UPRIGHT[1]) / 2


def wave(u):
    """Vertical displacement in pixels and the light on the cloth at u (0 at the hoist, 1 at the fly)."""
    phase = 2 * math.pi * FOLDS * (u - CREST)
    amp = 2.0 + 5.0 * u
    return amp * math.sin(phase), 0.95 + 0.11 * math.cos(phase)


def flag_colour(u, v):
    in_upright = UPRIGHT[0] <= u <= UPRIGHT[1]
    in_level = LEVEL[0] <= v <= LEVEL[1]
    return WHITE if in_upright or in_level else RED


def render():
    rng = random.Random(1219)
    image = Image.new("RGB", (WIDTH, HEIGHT))
    px = image.load()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            px[x, y] = sky(x, y)
    # The pole: a shaded grey cylinder with a gilt knob.
    half = 2 * SCALE
    for y in range(6 * SCALE, HEIGHT):
        for dx in range(-half, half + 1):
            shade = 1.0 - 0.3 * abs(dx + SCALE) / half
            px[POLE_X + dx, y] = tuple(int(c * shade) for c in (205, 205, 210))
    knob = 3 * SCALE
    for y in range(2 * SCALE, 8 * SCALE):
        for dx in range(-knob, knob + 1):
            if dx * dx + (y - 5 * SCALE) ** 2 <= knob * knob:
                px[POLE_X + dx, y] = (214, 176, 70)
    # The cloth: each column is shifted by the wave and lit by its slope.
    for x in range(FLAG_LEFT, FLAG_LEFT + FLAG_W):
        u = (x - FLAG_LEFT) / (FLAG_W - 1)
        shift, light = wave(u)
        shift *= SCALE
        squeeze = 1.0 - 0.04 * u  # the fly droops a little
        for y in range(HEIGHT):
            v = (y - FLAG_TOP - shift) / (FLAG_H * squeeze)
            if 0 <= v <= 1:
                r, g, b = flag_colour(u, v)
                grain = rng.uniform(-6, 6)
                px[x, y] = tuple(max(0, min(255, int(c * light + grain))) for c in (r, g, b))
    return image.resize(SIZE, Image.LANCZOS)


def main():
    out = pathlib.Path(__file__).with_name("flag.jpg")
    render().save(out, "JPEG", quality=80, subsampling=2, dpi=(96, 96), optimize=False, progressive=False)
    # The cross must read as white: bright neutral pixels a tenth of the picture or
    # more, mid-grey ones (shaded white, the pole) a twentieth or less.
    pixels = list(Image.open(out).getdata())
    neutral = [p for p in pixels if max(p) - min(p) < 25]
    white = sum(min(p) >= 215 for p in neutral) / len(pixels)
    grey = sum(60 < sum(p) / 3 < 215 for p in neutral) / len(pixels)
    print(f"{out}: {out.stat().st_size} bytes, white {white:.1%}, grey {grey:.1%}")


if __name__ == "__main__":
    main()
