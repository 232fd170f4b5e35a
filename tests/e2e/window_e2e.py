#!/usr/bin/python3
"""Starts the real executable under Xvfb: its window appears at its size with
its colours, "Изчисли" writes into the problem box, and closing the window ends
the program. Leaves screenshots in the build folder for a person to look at.

Usage: window_e2e.py KORVANE_EXECUTABLE OUTPUT_FOLDER
"""
import pathlib
import subprocess
import sys

from xdisplay import VirtualDisplay

TITLE = "дебелина на кръста"
WINDOW_SIZE = (484, 424)
FRAME = (272, 32)  # the frame's corner in the window
CALCULATE = (FRAME[0] + 8, FRAME[1] + 120)  # the calculate button's corner
PROBLEM_BOX = (8, 216, 465, 201)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def box_pixels(display, x, y, w, h):
    width, _, data = display.pixels()
    return b"".join(data[3 * ((y + row) * width + x):3 * ((y + row) * width + x + w)] for row in range(h))


def main():
    executable, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    with VirtualDisplay() as display:
        program = subprocess.Popen([str(executable)], env=display.env, stderr=subprocess.PIPE, text=True)
        try:
            window = display.wait_for_window(TITLE)
            x, y, width, height = display.geometry(window)
            check((width, height) == WINDOW_SIZE, f"window is {width} x {height}, not {WINDOW_SIZE}")
            display.screenshot(out / "screenshot.png")
            check(display.pixel(x + 2, y + 2) == (128, 128, 255), "window background is not 128, 128, 255")
            check(display.pixel(x + CALCULATE[0] + 5, y + CALCULATE[1] + 5) == (128, 255, 128),
                  "the calculate button is not light green")

            statement = box_pixels(display, x + PROBLEM_BOX[0], y + PROBLEM_BOX[1], *PROBLEM_BOX[2:])
            display.click(x + CALCULATE[0] + 36, y + CALCULATE[1] + 12)
            for _ in range(100):
                report = box_pixels(display, x + PROBLEM_BOX[0], y + PROBLEM_BOX[1], *PROBLEM_BOX[2:])
                if report != statement:
                    break
            check(report != statement, "the problem box did not change on calculate")
            display.screenshot(out / "screenshot-report.png")

            display.close_window(window)
            code = program.wait(timeout=15)
            check(code == 0, f"the program ended with {code}")
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()
    print(f"window {WINDOW_SIZE[0]} x {WINDOW_SIZE[1]}; screenshots in {out}")


if __name__ == "__main__":
    main()
