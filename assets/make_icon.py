#!/usr/bin/python3
"""Draws the 32 x 32 hamburger and writes it three ways:

  korvane.ico      one image, 8 bits per pixel with a 256-entry palette and a
                   1-bit transparency mask: 6 + 16 + 2224 = 2246 bytes
  korvane-32.png   the same drawing with an alpha channel, for the window and the desktop
  korvane-icon.bin the ICO's image alone (the 2224 bytes), for the Windows icon resource
  korvane-icon-group.bin  the icon group that names that image as icon 30001

Deterministic; run from anywhere: ./make_icon.py
"""
import pathlib
import struct

SIZE = 32
IMAGE_BYTES = 2224
ICON_ID = 30001  # header 40 + palette 1024 + pixels 1024 + mask 128, padded to the record's size

# Layers from the top: (first row, last row, colour, inset of the ends in pixels per row).
BUN = (222, 150, 62)
BUN_DARK = (180, 112, 40)
SESAME = (250, 240, 200)
LETTUCE = (88, 176, 48)
CHEESE = (252, 200, 40)
TOMATO = (214, 44, 36)
MEAT = (110, 62, 34)
MEAT_DARK = (80, 44, 24)
OUTLINE = (70, 40, 20)


def row_span(y):
    """Left and right edge of the burger in row y, rounded at the top and bottom."""
    if y < 5 or y > 27:
        return None
    top_round = {5: 9, 6: 6, 7: 4, 8: 3, 9: 2, 10: 1}
    bottom_round = {27: 4, 26: 2, 25: 1}
    inset = top_round.get(y, bottom_round.get(y, 1 if y > 10 else 0))
    return 1 + inset, 30 - inset


def colour_at(x, y):
    span = row_span(y)
    if span is None or not span[0] <= x <= span[1]:
        return None
    left, right = span
    if x in (left, right) or y in (5, 27):
        return OUTLINE
    if y <= 12:  # top bun with seeds
        if (x, y) in {(10, 8), (15, 7), (20, 8), (13, 10), (18, 10), (24, 10), (7, 10)}:
            return SESAME
        return BUN if y < 12 else BUN_DARK
    if y <= 14:  # lettuce, with a wavy lower edge
        return LETTUCE if y == 13 or x % 3 else CHEESE
    if y == 15:
        return CHEESE if x % 4 else LETTUCE
    if y <= 17:
        return TOMATO
    if y <= 21:
        return MEAT if (x + y) % 5 else MEAT_DARK
    if y <= 22:
        return MEAT_DARK
    return BUN if y < 26 else BUN_DARK


def draw():
    return [[colour_at(x, y) for x in range(SIZE)] for y in range(SIZE)]


def write_ico(pixels, ico_path, bin_path, group_path):
    colours = sorted({c for row in pixels for c in row if c is not None})
    palette = [(0, 0, 0)] + colours  # index 0 stands under the transparent pixels
    palette += [(0, 0, 0)] * (256 - len(palette))
    index = {c: i for i, c in enumerate(palette) if i == 0 or c != (0, 0, 0)}

    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 8, 0, SIZE * SIZE + SIZE * 4, 0, 0, 256, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    rows = range(SIZE - 1, -1, -1)  # bottom-up
    xor = bytes(0 if pixels[y][x] is None else index[pixels[y][x]] for y in rows for x in range(SIZE))
    mask = b""
    for y in rows:
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (pixels[y][x] is None)
        mask += struct.pack(">I", bits)
    image = header + table + xor + mask
    image += bytes(IMAGE_BYTES - len(image))
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 22)
    ico_path.write_bytes(directory + image)
    bin_path.write_bytes(image)
    group = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHIH", SIZE, SIZE, 0, 0, 1, 8, len(image), ICON_ID)
    group_path.write_bytes(group)


def write_png(pixels, path):
    from PIL import Image  # Debian's python3-pil

    image = Image.new("RGBA", (SIZE, SIZE), (0, 0, 0, 0))
    for y, row in enumerate(pixels):
        for x, c in enumerate(row):
            if c is not None:
                image.putpixel((x, y), c + (255,))
    image.save(path, "PNG", optimize=False)


def main():
    here = pathlib.Path(__file__).parent
    pixels = draw()
    write_ico(pixels, here / "korvane.ico", here / "korvane-icon.bin", here / "korvane-icon-group.bin")
    write_png(pixels, here / "korvane-32.png")
    for name in ("korvane.ico", "korvane-icon.bin", "korvane-icon-group.bin", "korvane-32.png"):
        print(f"{name}: {(here / name).stat().st_size} bytes")


if __name__ == "__main__":
    main()
