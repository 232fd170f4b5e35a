#!/usr/bin/python3
"""Reads the real window through AT-SPI, as a screen reader would: under Xvfb,
with a private D-Bus session and the AT-SPI bus, it finds the three input boxes
by their names, the two buttons and the problem box, presses "Изчисли" through
the accessibility action and reads the worked solution back.

Usage: accessibility_e2e.py KORVANE_EXECUTABLE
"""
import subprocess
import sys
import tempfile
import time

from cases import REPORTS
from xdisplay import VirtualDisplay

INPUTS = ["Дължина на флаг", "Ширина на флаг", "Площ на кръста"]
BUTTONS = ["Изчисли", "Изчисти"]
PROBLEM_BOX = "Задача и решение"
LAST_LINE = REPORTS["Example"].lines[8]


def read_window():
    """Runs in a child process whose environment points at the private buses."""
    import pyatspi

    def find_app(deadline):
        while time.monotonic() < deadline:
            desktop = pyatspi.Registry.getDesktop(0)
            for app in desktop:
                if app is not None and app.name == "korvane":
                    return app
            time.sleep(0.1)
        raise AssertionError("korvane did not appear on the accessibility bus")

    def walk(node):
        yield node
        for child in node:
            if child is not None:
                yield from walk(child)

    app = find_app(time.monotonic() + 30)
    # Roles are compared as AT-SPI's constants: their names differ between releases
    # ("push button" became "button").
    text_role, button_role = pyatspi.ROLE_TEXT, pyatspi.ROLE_PUSH_BUTTON
    named = {}
    for node in walk(app):
        named.setdefault((node.getRole(), node.name), node)
    seen = sorted({(node.getRoleName(), name) for (_, name), node in named.items()})
    for name in INPUTS:
        assert (text_role, name) in named, f"no text box named {name!r}; seen: {seen}"
    for name in BUTTONS:
        assert (button_role, name) in named, f"no push button named {name!r}; seen: {seen}"
    assert (text_role, PROBLEM_BOX) in named, f"no problem box named {PROBLEM_BOX!r}; seen: {seen}"

    length = named[(text_role, INPUTS[0])].queryText()
    assert length.getText(0, -1) == "37", f"the length box reads {length.getText(0, -1)!r}"

    button = named[(button_role, BUTTONS[0])].queryAction()
    actions = [button.getName(i) for i in range(button.nActions)]
    button.doAction(actions.index("Press") if "Press" in actions else 0)
    text = named[(text_role, PROBLEM_BOX)].queryText()
    deadline = time.monotonic() + 10
    while LAST_LINE not in text.getText(0, -1) and time.monotonic() < deadline:
        time.sleep(0.05)
    content = text.getText(0, -1)
    assert LAST_LINE in content, f"the problem box reads {content[:120]!r}"
    print(f"read {len(named)} accessible objects; pressed {BUTTONS[0]!r}; the problem box ends with {LAST_LINE!r}")


def main():
    executable = sys.argv[1]
    with VirtualDisplay() as display, tempfile.TemporaryFile("w+") as program_log:
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=display.env,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        processes = [bus]
        try:
            display.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
            # Korvane connects to the accessibility bus whenever its launcher has taken the bus name.
            processes.append(subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                              env=display.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            env = dict(display.env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
            program = subprocess.Popen([executable], env=env, stdout=program_log, stderr=program_log)
            processes.append(program)
            display.wait_for_window("дебелина на кръста", process=program)
            reader = subprocess.run([sys.executable, __file__, "--read"], env=display.env, timeout=60)
            if reader.returncode != 0:
                sys.exit(reader.returncode)
        except BaseException:
            program_log.seek(0)
            print("what Korvane printed:", program_log.read()[-4000:] or "(nothing)", file=sys.stderr)
            raise
        finally:
            for process in reversed(processes):
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()


if __name__ == "__main__":
    if sys.argv[1:] == ["--read"]:
        read_window()
    else:
        main()
