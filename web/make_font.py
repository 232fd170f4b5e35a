#!/usr/bin/python3
"""The page's stand-in for Times New Roman: Liberation Serif, cut to the letters the page can
show (Latin, Latin-1, Cyrillic, common punctuation) and renamed, as the font's licence asks of a
modified version (Liberation is a reserved font name), then compressed to WOFF2 by Debian's woff2.
Usage: make_font.py LiberationSerif-Regular.ttf OUT.woff2
"""
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

from fontTools import subset
from fontTools.ttLib import TTFont

FAMILY = "Korvane Serif"
# Basic Latin, the no-break space and Bulgarian quotes, Cyrillic, dashes, quotes, the ellipsis and the
# minus sign: what the page's texts, its reports and a Bulgarian or English user's typing need. The
# style sheet's unicode-range says the same; other letters come from the browser's own serif.
UNICODE_RANGE = "U+20-7E, U+A0, U+AB, U+BB, U+400-45F, U+2013-2014, U+2018-201E, U+2026, U+2212"


def unicodes(ranges: str) -> list[int]:
    points = []
    for item in ranges.split(","):
        first, _, last = item.strip().removeprefix("U+").partition("-")
        points += range(int(first, 16), int(last or first, 16) + 1)
    return points


def main() -> int:
    source, target = Path(sys.argv[1]), Path(sys.argv[2])
    options = subset.Options()
    options.name_IDs = [0, 1, 2, 3, 4, 5, 6, 13, 14]  # copyright, names, version, licence
    options.layout_features = ["kern", "liga"]
    options.notdef_outline = True
    options.drop_tables += ["FFTM"]  # FontForge's time stamps
    options.hinting = False  # screens of today smooth the outlines themselves; a third smaller
    font = TTFont(source, recalcTimestamp=False)  # the source's own date, not the build's: the same bytes every build
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=unicodes(UNICODE_RANGE))
    subsetter.subset(font)
    names = font["name"]
    for record in names.names:
        if record.nameID in (1, 4, 16):
            record.string = FAMILY
        elif record.nameID == 3:
            record.string = f"{FAMILY} Regular (subset of Liberation Serif)"
        elif record.nameID == 6:
            record.string = FAMILY.replace(" ", "") + "-Regular"
    with tempfile.TemporaryDirectory() as scratch:
        ttf = Path(scratch) / "korvane-serif.ttf"
        font.save(ttf)
        subprocess.run(["woff2_compress", str(ttf)], check=True, stdout=subprocess.DEVNULL)
        shutil.copyfile(ttf.with_suffix(".woff2"), target)
    return 0


if __name__ == "__main__":
    sys.exit(main())
