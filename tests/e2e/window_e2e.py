#!/usr/bin/python3
"""Starts the real executable under Xvfb, at scale 1 (given Qt's own command-line
options, which it must ignore) and at scale 2: its window
appears at its size with its colours, "Изчисли" writes into the problem box, and
closing the window ends the program. At scale 2 the window is twice the size with
the same layout, and the photograph is scaled smoothly, not by doubling pixels.
Leaves screenshots in the output folder for a person to look at.

Usage: window_e2e.py KORVANE_EXECUTABLE OUTPUT_FOLDER
"""
import pathlib
import subprocess
import sys
import time

from xdisplay import VirtualDisplay

TITLE = "дебелина на кръста"
WINDOW_SIZE = (484, 424)
CALCULATE = (272 + 8, 32 + 120)  # the calculate button's corner in the window
PROBLEM_BOX = (8, 216, 465, 201)
PHOTO = (8 + 2, 40 + 2, 250, 159)
# Controls whose drawing must look the same at both scales: labels, inputs, buttons, title.
CONTROLS = {"title": (64, 0, 305, 25), "labels": (280, 56, 121, 81), "inputs": (400, 56, 41, 81),
            "buttons": (280, 152, 193, 41), "frame caption": (272, 32, 80, 18)}


def check(condition, message):
    if not condition:
        raise AssertionError(message)


class Shot:
    """The window's pixels, in device pixels."""

    def __init__(self, display, x, y, width, height):
        screen_width, _, data = display.pixels()
        self.width, self.height = width, height
        self.rows = [data[3 * ((y + r) * screen_width + x):3 * ((y + r) * screen_width + x + width)]
                     for r in range(height)]

    def pixel(self, x, y):
        return tuple(self.rows[y][3 * x:3 * x + 3])

    def region(self, x, y, w, h):
        return b"".join(row[3 * x:3 * (x + w)] for row in self.rows[y:y + h])


def run(executable, out, scale):
    env = {"QT_SCALE_FACTOR": str(scale)} if scale != 1 else {}
    suffix = "" if scale == 1 else f"-scale{scale}"
    # The program takes no options: were Qt's own honoured, these would recolour,
    # rename and mirror the window, and the checks below would see it.
    style = out / "black.qss"
    style.write_text("QWidget { background: black; }\n")
    options = ["-stylesheet", str(style), "-qwindowtitle", "Другото", "-reverse"] if scale == 1 else []
    with VirtualDisplay(1024, 900, extra_env=env) as display:
        program = subprocess.Popen([str(executable), *options], env=display.env, stderr=subprocess.DEVNULL)
        try:
            window = display.wait_for_window(TITLE, process=program)
            x, y, width, height = display.geometry(window)
            wanted = (WINDOW_SIZE[0] * scale, WINDOW_SIZE[1] * scale)
            check((width, height) == wanted, f"window is {width} x {height}, not {wanted}")
            display.screenshot(out / f"screenshot{suffix}.png")
            start = Shot(display, x, y, width, height)
            check(start.pixel(2 * scale, 2 * scale) == (128, 128, 255), "window background is not 128, 128, 255")
            check(start.pixel((CALCULATE[0] + 5) * scale, (CALCULATE[1] + 5) * scale) == (128, 255, 128),
                  "the calculate button is not light green")

            box = [v * scale for v in PROBLEM_BOX]
            display.click(x + (CALCULATE[0] + 36) * scale, y + (CALCULATE[1] + 12) * scale)
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline:
                after = Shot(display, x, y, width, height)
                if after.region(*box) != start.region(*box):
                    break
            check(after.region(*box) != start.region(*box), "the problem box did not change on calculate")
            display.screenshot(out / f"screenshot-report{suffix}.png")

            display.close_window(window)
            code = program.wait(timeout=15)
            check(code == 0, f"the program ended with {code}")
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()
    return start


def uniform_block_share(shot, x, y, w, h):
    """How many aligned 2 x 2 blocks in the area have four equal pixels: all of them when doubled."""
    uniform = total = 0
    for by in range(y, y + h - 1, 2):
        for bx in range(x, x + w - 1, 2):
            p = shot.pixel(bx, by)
            uniform += p == shot.pixel(bx + 1, by) == shot.pixel(bx, by + 1) == shot.pixel(bx + 1, by + 1)
            total += 1
    return uniform / total


def mean_difference(single, double, x, y, w, h):
    """Mean channel difference between the scale-1 area and the scale-2 area reduced by 2 x 2 averaging."""
    total = 0
    for r in range(y, y + h):
        for c in range(x, x + w):
            quad = [double.pixel(2 * c + dx, 2 * r + dy) for dx in (0, 1) for dy in (0, 1)]
            reduced = [sum(q[i] for q in quad) / 4 for i in range(3)]
            total += sum(abs(a - b) for a, b in zip(single.pixel(c, r), reduced))
    return total / (3 * w * h)


def main():
    executable, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    single = run(executable, out, 1)
    double = run(executable, out, 2)

    smooth = uniform_block_share(double, *(2 * v for v in PHOTO))
    check(smooth < 0.5, f"the photograph at scale 2 looks pixel-doubled ({smooth:.0%} uniform 2 x 2 blocks)")
    differences = {name: mean_difference(single, double, *area) for name, area in CONTROLS.items()}
    worst = max(differences, key=differences.get)
    check(differences[worst] < 20, f"the {worst} look different at scale 2 (mean difference {differences[worst]:.1f})")
    print(f"window {WINDOW_SIZE} at scale 1 and twice that at scale 2; photograph {smooth:.0%} uniform blocks; "
          + ", ".join(f"{k} {v:.1f}" for k, v in differences.items()) + f"; screenshots in {out}")


if __name__ == "__main__":
    main()
