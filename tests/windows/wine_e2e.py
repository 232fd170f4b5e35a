#!/usr/bin/python3
"""Korvane.exe and its installer, end to end under Wine in Xvfb.

The executable: statically linked (only Windows' own DLLs), under 1 MB, with its
manifest and the photograph as the JPEG file. The window, driven with real key
events and clicks: caption, client area, colours, the four-character limit,
Return, Tab, Space, the two buttons, the error line, the copy from the problem
box by keyboard and by its menu, the focus after Tab and after minimise and
restore, the problem box's accessible name (where Wine keeps it), and the report
in an English and a Bulgarian regional setting and with the user's own symbols;
then at 150 %. The installer: a folder with another program's uninstall.exe
and one that cannot be made refused; into a chosen folder, which a second install keeps, shortcut, "Apps &
features" entry counting Korvane's files only, the installed program opens, install
and uninstall refused while Korvane runs or its file is held open, an install into
another folder removes the first, an uninstaller left elsewhere keeps the entry,
silent uninstall leaves nothing behind; the setup program and its uninstaller carry a
base relocation for every address they hold. The
controls' texts and the clipboard are read from inside Wine by the companion peek.exe.
The Windows Installer package (beside the setup program): silent install with shortcut,
entry, its folder and icon, per user refused, the installed program computes, refused beside
the setup program's installation (whose uninstaller, left behind, refuses too), while Korvane
runs (whatever the command line says) and when older, an installed product keeps its folder, a
newer one built here upgrades in place, a repair and an upgrade go back to a chosen folder whose
Korvane.exe was deleted, and removal leaves no file, folder or registry key. The x86 setup
program and package: the same in a 32-bit prefix, where 32-bit Wine is installed (said in one
line where not); on 64-bit Windows the x86 setup program refuses, the x64 package replaces the
x86 one's installation and the x86 package refuses beside the x64 one's.
A private Wine prefix is made for the run and removed after it.
With --window, the program's checks alone for each Korvane.exe given, in a prefix of the given
architecture (win32: 32-bit Wine; skipped, and said so, where it is not installed), at each
Windows version given: as Wine comes (default), all of them (its window, the report in Bulgarian,
the user's own symbols, 150 %); set to Windows 7 (win7), its layout, the example and 150 %.

Usage: wine_e2e.py KORVANE_EXE SETUP_EXE PEEK_EXE OUTPUT_FOLDER
       wine_e2e.py --window win64|win32 VERSION[,VERSION] PEEK_EXE OUTPUT_FOLDER KORVANE_EXE...
"""
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

import pefile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
from cases import ERROR_LINE, REPORTS, read_case_file, report_text  # noqa: E402
from xdisplay import MapWatcher, VirtualDisplay  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
sys.path.insert(0, str(ROOT / "ui"))
sys.path.insert(0, str(ROOT / "windows"))
import emit_controls  # noqa: E402
import form  # noqa: E402

CAPTION = "www.korvane.example  Математика - дебелина на кръста"
ENGLISH_REPORT = report_text("Example")
BULGARIAN_REPORT = report_text("ExampleInBulgarian")
# Where the user has made the decimal symbol and the digit grouping symbol those of the case's
# format (a comma and an apostrophe): the cross's area is grouped, as the settings say.
OVERRIDE = REPORTS["CommaDecimalsApostropheGroups"]
OVERRIDE_SYMBOLS = next(r["fields"][1:3] for r in read_case_file("formats.txt") if r["fields"][0] == OVERRIDE.format)
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"}
CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT, CF_LOCALE = 1, 7, 13, 16
CLASSES = {"frame": "button", "input": "edit", "textbox": "richedit50w", "button": "button", "label": "static",
           "picture": "static"}
WINE64_LOADER = "/usr/lib/wine/wine64"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane"

WINDOW = form.read_form()
CONTROLS = {c.id: c for c in WINDOW.controls}
IDS = emit_controls.control_ids(WINDOW)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def wait_for(what, probe, done, timeout=60):
    """probe() until done(value); the last value goes into the failure message."""
    deadline = time.monotonic() + timeout
    value = None
    while time.monotonic() < deadline:
        value = probe()
        if done(value):
            return value
        time.sleep(0.05)
    raise AssertionError(f"{what}: last saw {value!r}")


def centre(control_id, dx=0, dy=0):
    c = CONTROLS[control_id]
    return c.x + c.width // 2 + dx, c.y + c.height // 2 + dy


class Wine:
    """A private prefix in a virtual display; every program runs with this environment."""

    def __init__(self, display, prefix, arch="win64"):
        self.display = display
        self.env = dict(display.env, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEARCH=arch,
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        # Debian's wine command starts Wine's 32-bit loader wherever 32-bit Wine is installed, and
        # Wine's own programs (reg, msiexec) then run as 32-bit ones, which see HKLM\Software's
        # 32-bit view: in a 64-bit prefix everything starts from the 64-bit loader, as it does
        # where 32-bit Wine is not installed.
        self.wine = "wine"
        if arch == "win64" and os.access(WINE64_LOADER, os.X_OK):
            self.wine = self.env["WINELOADER"] = WINE64_LOADER
        self.prefix = prefix

    def run(self, *args, timeout=60, **env):
        """Runs a program to its end. Its output goes to a file, not a pipe: a Wine service that
        the program wakes inherits the output and lives on, and a pipe's reader waits for it too."""
        with tempfile.TemporaryFile() as out:
            done = subprocess.run([self.wine, *map(str, args)], env=dict(self.env, **env), stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            done.stdout = out.read()
        return done

    def start(self, exe, **env):
        return subprocess.Popen([self.wine, str(exe)], env=dict(self.env, **env), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def boot(self):
        subprocess.run(["wineboot", "-i"], env=self.env, check=True, capture_output=True, timeout=120)
        self.run("reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog", "/t", "REG_DWORD", "/d",
                 "0", "/f")

    def set_windows(self, version, peek):
        """The Windows version that the prefix reports, from the next session on."""
        self.run("reg", "add", r"HKCU\Software\Wine", "/v", "Version", "/t", "REG_SZ", "/d", version, "/f")
        self.stop()
        wanted = {"win7": [6, 1]}[version]
        reported = json.loads(self.run(peek, "windows").stdout.decode("ascii"))
        check(reported == wanted, f"the prefix set to {version} reports Windows {reported}")

    def stop(self):
        """Ends the Wine session: its server, its desktop and every program in it."""
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=30)
        subprocess.run(["wineserver", "-w"], env=self.env, capture_output=True, timeout=60)


class Program:
    """One run of Korvane.exe, seen through X and through peek.exe."""

    def __init__(self, wine, exe, peek, scale=1.0, **env):
        self.wine, self.peek, self.x11, self.scale = wine, peek, wine.display, scale
        self.process = wine.start(exe, **env)
        try:
            self.window = self.x11.wait_for_window("korvane.example", timeout=90)
        except TimeoutError:
            # Wine 10 now and then starts a program and never maps its window (seen in a Debian 13
            # root, not under Wine 8). Said aloud, and started once more: a Korvane that never
            # shows its window still fails here.
            print(f"{exe.name}: no window within 90 s; ended and started once more")
            self.process.kill()
            self.process.wait(timeout=60)
            self.process = wine.start(exe, **env)
            self.window = self.x11.wait_for_window("korvane.example", timeout=90)
        self.x, self.y, self.width, self.height = self.x11.geometry(self.window)

    def ask(self, *what):
        """peek's answer, or None when it gave none (the clipboard changing hands, say): a probe to repeat."""
        out = self.wine.run(self.peek, *what, timeout=30).stdout
        try:
            return json.loads(out.decode("ascii"))
        except ValueError:
            return None

    def texts(self):
        found = self.ask("texts") or []
        return {c["id"]: c for c in found}

    def text(self, control_id):
        return self.texts().get(IDS[control_id], {}).get("text")

    def wait_text(self, control_id, wanted, what):
        wait_for(what, lambda: self.text(control_id), lambda t: t == wanted)

    def focus(self):
        return self.ask("focus")

    def click(self, control_id, dx=0, dy=0):
        x, y = centre(control_id, dx, dy)
        self.x11.click(self.x + int(x * self.scale), self.y + int(y * self.scale))

    def menu(self, control_id, *keys):
        """Opens the control's context menu with the right button and works it with keys."""
        watcher = MapWatcher(self.x11.env["DISPLAY"])
        try:
            x, y = centre(control_id)
            self.x11.run("xdotool", "mousemove", str(self.x + x), str(self.y + y), "click", "3")
            watcher.wait()
        finally:
            watcher.close()
        if keys:
            self.keys(*keys)

    def inked_menu_items(self, control_id):
        """Opens the control's context menu, counts its items written in ink (a greyed one is
        not), and closes it. The menu opens at the control's centre, where menu() clicks."""
        self.menu(control_id)
        x, y = centre(control_id)
        left, top = self.x + x, self.y + y

        def bands():  # runs of pixel rows below the menu's corner with near-black pixels in them
            width, _, data = self.x11.pixels()
            inked = [any(max(data[3 * ((top + dy) * width + left + dx):][:3]) < 80 for dx in range(200))
                     for dy in range(80)]
            return sum(1 for above, row in zip([False] + inked, inked) if row and not above)

        # Painted once two looks agree; "Избери всичко" is never greyed, so one band at least.
        seen = []
        wait_for("the menu painted", lambda: seen.append(bands()) or seen[-2:],
                 lambda last: len(last) == 2 and last[0] == last[1] > 0)
        self.keys("Escape")
        return seen[-1]

    def keys(self, *keys):
        self.x11.run("xdotool", "key", "--delay", "40", *keys)

    def type(self, text):
        self.x11.run("xdotool", "type", "--delay", "40", text)

    def pixel(self, x, y):
        return self.x11.pixel(self.x + x, self.y + y)

    def screenshot(self, path):
        """The window alone, for a person to look at."""
        self.x11.run("import", "-window", "root", "-crop", f"{self.width}x{self.height}+{self.x}+{self.y}",
                     "+repage", str(path))

    def close(self):
        self.x11.close_window(self.window)
        check(self.process.wait(timeout=30) == 0, "Korvane.exe did not end cleanly")


def check_executable(exe):
    size = exe.stat().st_size
    check(size < 1024 * 1024, f"Korvane.exe is {size} bytes, not under 1 MB")
    pe = pefile.PE(str(exe))
    imports = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    check(imports <= WINDOWS_DLLS, f"imports beyond Windows' own DLLs: {sorted(imports - WINDOWS_DLLS)}")
    functions = {(entry.dll.decode().lower(), f.name.decode()) for entry in pe.DIRECTORY_ENTRY_IMPORT
                 for f in entry.imports if f.name}
    check(("advapi32.dll", "CryptAcquireContextA") not in functions,
          "the stack guard loads a cryptographic provider at start-up")
    # RtlGenRandom: without it the stack guard is the same constant in every run.
    check(("advapi32.dll", "SystemFunction036") in functions, "the stack guard is not drawn from RtlGenRandom")
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    wide = pe.PE_TYPE == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS  # 64-bit: with 64-bit random addresses
    for flag in ("DYNAMIC_BASE", "NX_COMPAT") + (("HIGH_ENTROPY_VA",) if wide else ()):
        check(flags & pefile.DLL_CHARACTERISTICS[f"IMAGE_DLLCHARACTERISTICS_{flag}"], f"Korvane.exe lacks {flag}")
    check(pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size > 0, "Korvane.exe has no relocations to randomise its address")
    resources = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            data = name.directory.entries[0].data.struct
            resources[(kind.id, str(name.name) if name.name else name.id)] = pe.get_data(data.OffsetToData,
                                                                                         data.Size)
    manifest = resources[(24, 1)].decode()
    for setting in ("Microsoft.Windows.Common-Controls", "<activeCodePage", ">UTF-8<", "PerMonitorV2"):
        check(setting in manifest, f"the manifest lacks {setting}")
    check(resources[(10, "FLAG")] == (ROOT / "assets" / "flag.jpg").read_bytes(),
          "the photograph is not the JPEG file as it is")
    print(f"{exe.name} ({'64' if wide else '32'}-bit): {size} bytes, imports {', '.join(sorted(imports))}")


def check_relocatable(exe):
    """A program that asks to be loaded at a random address (DYNAMIC_BASE) needs a base
    relocation for every address it holds: each 8-byte value in its sections that points into
    the image has one, and each relocation covers such a value. In a 32-bit program, whose
    addresses are 4 bytes, code and data are full of 4-byte values that look like addresses and
    are not: there, each relocation is checked alone."""
    pe = pefile.PE(str(exe))
    width = 4 if pe.FILE_HEADER.Machine == 0x14C else 8
    check(pe.OPTIONAL_HEADER.DllCharacteristics & 0x40 and not pe.FILE_HEADER.Characteristics & 1,
          f"{exe.name} is not marked relocatable")
    fixed = {e.rva for block in getattr(pe, "DIRECTORY_ENTRY_BASERELOC", []) for e in block.entries if e.type}
    check(fixed, f"{exe.name} has no base relocations")
    low = pe.OPTIONAL_HEADER.ImageBase + pe.sections[0].VirtualAddress
    high = pe.OPTIONAL_HEADER.ImageBase + pe.OPTIONAL_HEADER.SizeOfImage
    for section in pe.sections if width == 8 else []:
        if section.Name.rstrip(b"\0") in (b".reloc", b".rsrc"):
            continue
        data = section.get_data()[:section.Misc_VirtualSize]
        for offset in range(len(data) - width + 1):
            if low <= int.from_bytes(data[offset:offset + width], "little") < high:
                check(section.VirtualAddress + offset in fixed,
                      f"{exe.name}: the address at {section.VirtualAddress + offset:#x} has no relocation")
    check(all(low <= int.from_bytes(pe.get_data(rva, width), "little") < high for rva in fixed),
          f"{exe.name}: a relocation holds no address")
    return len(fixed)


def check_layout(program):
    """The window as it opens: caption, client area, every control in its place, the start-up
    texts and the focus; the (hidden) motto box as it was found."""
    check(program.x11.run("xdotool", "getwindowname", str(program.window)).strip() == CAPTION, "caption")
    check((program.width, program.height) == (WINDOW.width, WINDOW.height),
          f"client area {program.width} x {program.height}")
    # A screen reader names an input by the label just before it in the window's order.
    in_order = wait_for("the controls", lambda: program.ask("texts"), bool)
    for before, control in zip(in_order, in_order[1:]):
        if control["class"].lower() == "edit":
            name = next(c.accessible_name for c in WINDOW.controls if IDS[c.id] == control["id"])
            check(before["class"].lower() == "static" and before["text"].strip() == name,
                  f"the input {name!r} follows {before['text']!r}")
    # Every control where the form puts it; a label naming an input ends where the input begins.
    placed = {c["id"]: c for c in in_order}
    for c in WINDOW.controls:
        got = placed[IDS[c.id]]
        wanted = [c.x, c.y, c.width, c.height]
        if c.kind == "label" and got["rect"][2] == c.width - 1:
            wanted[2] -= 1
        check(got["rect"] == wanted, f"{c.id} is at {got['rect']}, not {wanted}")
        check(got["class"].lower() == CLASSES[c.kind], f"{c.id} is a {got['class']}")
    statement = CONTROLS["Text1_0"].text.replace("\n", "\r\n")
    wait_for("start-up texts", lambda: [program.text(i) for i in ("Text2_0", "Text2_1", "Text2_2", "Text1_0")],
             lambda t: t == ["37", "28", "50", statement])
    motto = wait_for("the motto", program.texts, lambda t: IDS["Text1_1"] in t)[IDS["Text1_1"]]
    check(not motto["visible"] and motto["text"] == CONTROLS["Text1_1"].text.replace("\n", "\r\n"), "the motto")
    wait_for("the focus at start", program.focus, lambda f: f == IDS["Text2_0"])
    return motto



def check_window(program, out):
    """The window as it opens, then a user's session with keyboard and mouse."""
    motto = check_layout(program)

    # Colours, once the window has painted: window, title, labels, both button faces.
    samples = {"window": ((2, 2), WINDOW.background),
               "title": ((CONTROLS["Label1_0"].x + 2, 2), CONTROLS["Label1_0"].background),
               "label": ((CONTROLS["Label2_1"].x + 2, CONTROLS["Label2_1"].y + 24), CONTROLS["Label2_1"].background),
               "percent": ((CONTROLS["Label2_3"].x + 22, CONTROLS["Label2_3"].y + 24),
                           CONTROLS["Label2_3"].background),
               "calculate": (centre("Command1_0", -30, 6), CONTROLS["Command1_0"].background),
               "clear": (centre("Command1_1", -30, 6), CONTROLS["Command1_1"].background)}
    for name, ((x, y), colour) in samples.items():
        wait_for(f"{name} colour at {x},{y}", lambda: program.pixel(x, y), lambda p: p == tuple(colour))
    photo = CONTROLS["Picture1"]
    reds = sum(1 for dx in range(20, 240, 10) for dy in range(20, 150, 10)
               if (lambda p: p[0] > 150 and p[1] < 90)(program.pixel(photo.x + dx, photo.y + dy)))
    check(reds > 100, f"the photograph shows only {reds} red samples")

    # The fifth character is refused; Return in an input box calculates.
    program.click("Text2_0")
    program.keys("End", "BackSpace", "BackSpace")
    program.type("12345")
    program.wait_text("Text2_0", "1234", "a fifth character")
    program.keys(*["BackSpace"] * 4)
    program.type("37")
    program.keys("Return")
    program.wait_text("Text1_0", ENGLISH_REPORT, "Return in an input box")
    program.screenshot(out / "screenshot-windows.png")

    # The copy from the problem box is its exact text: CR LF, one NUL, nothing after
    # it, and no rich text beside it (plain text, its locale and the code-page forms
    # that Windows makes of it).
    program.click("Text1_0")
    program.keys("ctrl+a", "ctrl+c")
    clipboard = wait_for("the copy", lambda: program.ask("clipboard") or {},
                         lambda c: c.get("unicode_text", "").startswith(ENGLISH_REPORT))
    check(clipboard["unicode_text"] == ENGLISH_REPORT + "\0", f"the clipboard holds {clipboard['unicode_text']!r}")
    check(set(clipboard["formats"]) <= {CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT, CF_LOCALE},
          f"clipboard formats {clipboard['formats']}")

    # "Изчисти" empties the inputs and the problem box and leaves the motto; empty
    # inputs then give the error line.
    program.click("Command1_1")
    wait_for("Изчисти", lambda: [program.text(i) for i in ("Text2_0", "Text2_1", "Text2_2", "Text1_0", "Text1_1")],
             lambda t: t == ["", "", "", "", motto["text"]])
    program.click("Command1_0")
    program.wait_text("Text1_0", ERROR_LINE, "Изчисли with empty inputs")

    # The dialog keyboard: Tab through the inputs; Space presses the focused button.
    program.click("Text2_0")
    program.type("37")
    program.keys("Tab")
    program.type("28")
    program.keys("Tab", "Tab", "Tab")
    wait_for("Tab order", program.focus, lambda f: f == IDS["Text2_2"])
    program.type("50")
    program.keys("shift+Tab", "shift+Tab")
    wait_for("shift+Tab to Изчисли", program.focus, lambda f: f == IDS["Command1_0"])
    program.keys("space")
    program.wait_text("Text1_0", ENGLISH_REPORT, "Space on Изчисли")

    # 101 % is refused; "Изчисли" by mouse; Return presses the focused "Изчисти".
    program.keys("Tab", "Tab", "BackSpace", "BackSpace")
    program.type("101")
    program.keys("Return")
    program.wait_text("Text1_0", ERROR_LINE, "101 %")
    program.keys("BackSpace", "BackSpace", "BackSpace")
    program.type("50")
    program.click("Command1_0")
    program.wait_text("Text1_0", ENGLISH_REPORT, "Изчисли by mouse")
    program.keys("Tab", "Return")
    wait_for("Return on Изчисти", lambda: [program.text(i) for i in ("Text2_0", "Text1_0")],
             lambda t: t == ["", ""])

    # Tab from the problem box into the length box selects its text, so typing replaces it.
    program.click("Text2_0")
    program.type("37")
    program.click("Text1_0")
    wait_for("the problem box focused", program.focus, lambda f: f == IDS["Text1_0"])
    program.keys("Tab")
    wait_for("Tab into the length box", program.focus, lambda f: f == IDS["Text2_0"])
    wait_for("the length selected", lambda: program.ask("selection"), lambda s: s == [0, 2])
    # The focus comes back where it was after minimise and restore.
    program.click("Text2_1")
    wait_for("the width box focused", program.focus, lambda f: f == IDS["Text2_1"])
    program.ask("minimize")
    wait_for("minimised", lambda: program.ask("iconic"), lambda iconic: iconic is True)
    program.ask("restore")
    wait_for("restored", lambda: program.ask("iconic"), lambda iconic: iconic is False)
    wait_for("the focus after restore", program.focus, lambda f: f == IDS["Text2_1"])

    # The problem box's accessible name, as a screen reader asks for it through MSAA,
    # where the system keeps names set through its annotation service (Wine does not).
    accessible = wait_for("MSAA", lambda: program.ask("name", str(IDS["Text1_0"])), lambda a: a is not None)
    if accessible["annotations"]:
        check(accessible["name"] == CONTROLS["Text1_0"].accessible_name, f"the problem box is {accessible['name']!r}")
    else:
        print("This Wine keeps no names set through IAccPropServices: the problem box's accessible name is not read")


def files(folder):
    """Every file below folder, with its size and time of last change."""
    return {str(p): (p.stat().st_size, p.stat().st_mtime_ns) for p in folder.rglob("*") if p.is_file()}


def registry(wine, key):
    """The values under a registry key, by name: (type, data), as reg query prints them."""
    done = wine.run("reg", "query", key)
    if done.returncode != 0:
        return None
    values = {}
    for line in done.stdout.decode("utf-8", "replace").splitlines():
        parts = re.split(r"\t| {2,}", line.strip(), maxsplit=2)  # a name may hold a blank
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return values


def check_installer(wine, setup, exe, peek):
    drive = wine.prefix / "drive_c"
    before = {p for p in drive.rglob("*") if "temp" not in str(p).lower()}
    shortcut = drive / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Korvane.lnk"
    chosen, moved, other, stale = (drive / name for name in ("Korvane", "Moved", "Other", "Stale"))

    def state(*folders):
        """What an install leaves: the folders' files with size and time, the shortcut, the entry."""
        return [files(f) if f.exists() else {} for f in folders], shortcut.exists(), registry(wine, UNINSTALL_KEY)

    def refused(what, args, *folders):
        """A silent run that must end with exit code 2 and change nothing."""
        unchanged = state(*folders)
        done = wine.run(*args, timeout=120)
        check(done.returncode == 2, f"{what}: exit code {done.returncode}, not 2")
        check(state(*folders) == unchanged, f"{what}: the installation changed")

    # Another program's folder with its own uninstall.exe is refused, and nothing written there.
    other.mkdir()
    (other / "uninstall.exe").write_bytes(b"another program's uninstaller")
    refused("an install into a folder with another program's uninstall.exe", (setup, "/S", r"/D=C:\Other"), other)
    # A folder that cannot be made (no such drive; a file where the path needs a folder) is refused.
    (drive / "B").write_bytes(b"a file, not a folder")
    for folder in (r"Q:\Apps\Korvane", r"C:\B\Korvane"):
        refused(f"an install into {folder}", (setup, "/S", "/D=" + folder), drive / "Program Files", drive / "B")
    (drive / "B").unlink()

    # Into a folder of the user's choice, which holds a file of the user's, then kept by the next install.
    chosen.mkdir()
    (chosen / "notes.txt").write_bytes(b"n" * 300_000)
    done = wine.run(setup, "/S", r"/D=C:\Korvane", timeout=120)
    check(done.returncode == 0, f"the installer failed: {done.returncode}")
    first = files(chosen)
    done = wine.run(setup, "/S", timeout=120)
    check(done.returncode == 0, f"the second install failed: {done.returncode}")
    check(not (drive / "Program Files" / "Korvane").exists(), "the second install went to Program Files")
    exe_path = str(chosen / "Korvane.exe")
    check(files(chosen)[exe_path] != first[exe_path], "the second install did not replace Korvane.exe")
    check((chosen / "Korvane.exe").read_bytes() == exe.read_bytes(), "Korvane.exe is not installed")
    check((chosen / "uninstall.exe").is_file() and shortcut.is_file(), "no uninstaller or no shortcut")
    relocations = [check_relocatable(path) for path in (setup, chosen / "uninstall.exe")]
    entry = registry(wine, UNINSTALL_KEY)
    version = pefile.PE(str(exe))
    record = {k.decode(): v.decode() for info in version.FileInfo[0] if info.Key == b"StringFileInfo"
              for table in info.StringTable for k, v in table.entries.items()}
    for name, value in {"DisplayName": "Korvane", "DisplayVersion": record["ProductVersion"],
                        "Publisher": "www.korvane.example", "UninstallString": "uninstall.exe",
                        "DisplayIcon": "Korvane.exe,0", "InstallLocation": r"C:\Korvane"}.items():
        check(name in entry and value in entry[name][1], f"Apps & features: {name} is {entry.get(name)}")
    size_kib = sum((chosen / name).stat().st_size for name in ("Korvane.exe", "uninstall.exe")) / 1024
    estimated = int(entry["EstimatedSize"][1], 16)
    check(size_kib <= estimated < size_kib + 1, f"EstimatedSize {estimated} KB for {size_kib:.0f} KB of Korvane's files")
    check(entry.get("Installer Language", ("", ""))[1] in ("1026", "1033"), "the language is not remembered")

    # While Korvane runs, neither a silent install nor a silent uninstall run in place (as a
    # deployment tool that needs its exit code runs it) changes anything. This Korvane runs from
    # the build folder: Windows' own lock on a running file must not stand in for the check.
    program = Program(wine, exe, peek)
    program.wait_text("Text2_0", "37", "Korvane from the build folder")
    refused("a silent install while Korvane runs", (setup, "/S"), chosen)
    refused("a silent uninstall while Korvane runs", (chosen / "uninstall.exe", "/S", r"_?=C:\Korvane"), chosen)
    program.close()

    # Korvane.exe held open with no Korvane window in this session (another user's Korvane, say):
    # neither the uninstaller nor an install into another folder can remove it, and both change nothing.
    holder = subprocess.Popen(["wine", str(peek), "hold", r"C:\Korvane\Korvane.exe"], env=wine.env,
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        check(holder.stdout.readline().strip() == b"true", "peek could not hold Korvane.exe open")
        refused("a silent uninstall of a held Korvane.exe", (chosen / "uninstall.exe", "/S", r"_?=C:\Korvane"),
                chosen)
        refused("an install into another folder over a held Korvane.exe", (setup, "/S", r"/D=C:\Moved"), chosen,
                moved)
    finally:
        holder.stdin.close()
        holder.wait(timeout=60)
    program = Program(wine, chosen / "Korvane.exe", peek)
    program.wait_text("Text2_0", "37", "the installed program")
    program.close()

    # An install into another folder removes the first installation, as its uninstaller would.
    done = wine.run(setup, "/S", r"/D=C:\Moved", timeout=120)
    check(done.returncode == 0, f"the install into another folder failed: {done.returncode}")
    check(sorted(p.name for p in chosen.iterdir()) == ["notes.txt"],
          f"after the install into another folder the first holds {sorted(p.name for p in chosen.iterdir())}")
    check((moved / "Korvane.exe").is_file() and shortcut.is_file() and
          registry(wine, UNINSTALL_KEY)["InstallLocation"][1] == r"C:\Moved", "the install into another folder")
    # An uninstaller that an older setup left in another folder removes its own files, and
    # leaves the shortcut and the entry of the installation in C:\Moved.
    stale.mkdir()
    for name in ("Korvane.exe", "uninstall.exe"):
        shutil.copy(moved / name, stale / name)
    current = state(moved)
    done = wine.run(stale / "uninstall.exe", "/S", r"_?=C:\Stale", timeout=120)
    check(done.returncode == 0 and not (stale / "Korvane.exe").exists(), "the left uninstaller did not remove its own")
    check(state(moved) == current, "an uninstaller in another folder removed the installation's shortcut or entry")

    wine.run(moved / "uninstall.exe", "/S", timeout=120)
    wait_for("uninstall", lambda: moved.exists() or shortcut.exists(), lambda left: not left, timeout=120)
    check(registry(wine, UNINSTALL_KEY) is None, "the Apps & features entry remains")
    for folder in (chosen, other, stale):
        shutil.rmtree(folder)
    after = {p for p in drive.rglob("*") if "temp" not in str(p).lower()}
    check(after <= before, f"left behind: {sorted(map(str, after - before))[:5]}")
    print("installer: a folder with another program's uninstall.exe, and one that cannot be made, refused; a "
          "chosen folder kept by a second "
          "install and left to an install elsewhere; install and uninstall refused while Korvane runs or its "
          "file is held; a left uninstaller leaves the entry; setup and uninstaller relocatable "
          f"({relocations[0]} and {relocations[1]} base relocations)")


def msi_properties(msi):
    """The package's Property table, as msiinfo exports it."""
    table = subprocess.run(["msiinfo", "export", str(msi), "Property"], check=True, capture_output=True,
                           text=True).stdout
    return dict(line.split("\t", 1) for line in table.splitlines()[3:] if "\t" in line)


def packed(code):
    """A GUID as Windows Installer writes it into registry key names: each of the first three
    groups reversed, then the two digits of each remaining byte swapped."""
    digits = code.strip("{}").replace("-", "")
    return (digits[7::-1] + digits[11:7:-1] + digits[15:11:-1] +
            "".join(digits[i + 1] + digits[i] for i in range(16, 32, 2)))


def registry_text(wine, scratch):
    """HKLM\\Software and HKCU as reg exports them, in one text."""
    text = ""
    for key in (r"HKLM\Software", "HKCU"):
        wine.run("reg", "export", key, "Z:" + str(scratch).replace("/", "\\"), "/y", timeout=120)
        text += scratch.read_bytes().decode("utf-16", "replace")
    return text.lower()


def msi_entries(wine):
    """The Apps & features entries that Windows Installer made for Korvane, by product code."""
    keys = wine.run("reg", "query", UNINSTALL_KEY.rsplit("\\", 1)[0]).stdout.decode("utf-8", "replace").split()
    entries = {}
    for key in (k for k in keys if k.endswith("}")):
        values = registry(wine, key)
        if values and values.get("DisplayName", ("", ""))[1] == "Korvane":
            entries[key.rsplit("\\", 1)[1]] = values
    return entries


def check_msi(wine, msi, setup, exe, peek, out, arch="x64"):
    """The Windows Installer package of one architecture, where it fits, as a school's IT runs it:
    silent, per machine, refused beside the setup program's installation and while Korvane runs,
    upgraded in place by a newer package built here, refusing an older one, and removed without a
    trace."""
    drive = wine.prefix / "drive_c"
    folder = drive / "Program Files" / "Korvane"
    shortcut = drive / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Korvane.lnk"
    failure = 1603 & 0xFF  # Windows Installer's "fatal error"; Wine passes on the exit code's low byte
    first = msi_properties(msi)
    major, minor, patch = first["ProductVersion"].split(".")
    version = f"{major}.{minor}.{int(patch) + 1}"
    newer = out / f"Korvane-{version}-{arch}.msi"
    action = setup.parent / ("windows" if arch == "x64" else "x86/windows") / "korvane_msi.dll"
    record = {k.decode(): v.decode() for info in pefile.PE(str(exe)).FileInfo[0] if info.Key == b"StringFileInfo"
              for table in info.StringTable for k, v in table.entries.items()}
    subprocess.run([sys.executable, ROOT / "windows" / "build_msi.py", arch, version, exe, action,
                    ROOT / "assets" / "korvane.ico",
                    record["CompanyName"], record["ProductName"], newer], check=True)
    second = msi_properties(newer)
    check(second["UpgradeCode"] == first["UpgradeCode"] and second["ProductCode"] != first["ProductCode"],
          "the newer package does not share the upgrade code, or keeps the product code")
    codes = [first["UpgradeCode"], first["ProductCode"], second["ProductCode"]]
    traces = ["korvane"] + [c.lower() for c in codes] + [packed(c).lower() for c in codes]
    scratch = out / "registry.reg"
    registry_before = registry_text(wine, scratch)
    check(not [t for t in traces if t in registry_before], "Korvane is in the registry before the package")
    before = {p for p in drive.rglob("*") if "temp" not in str(p).lower()}

    def profiles():
        """The users' profiles, but for their TEMP, where Windows Installer unpacks as it works."""
        return {path: seen for path, seen in files(drive / "users").items() if "/temp/" not in path.lower()}

    def msiexec(*args):
        """Runs msiexec silently; where it fails, the log's lines that say why are printed too."""
        log = out / "msiexec.log"
        log.unlink(missing_ok=True)
        code = wine.run("msiexec", *args, "/qn", "/l*v", log, timeout=180).returncode
        print(f"msiexec {' '.join(getattr(a, 'name', a) for a in args)} /qn: exit code {code}")
        if code != 0 and log.exists():
            text = log.read_bytes().decode("utf-16" if log.read_bytes()[:2] == b"\xff\xfe" else "latin-1", "replace")
            why = [line for line in text.splitlines() if re.search(r"Return value 3|rror|\) ?: KORVANE_", line)]
            print("  " + "\n  ".join(why[-6:]))
        return code

    def state():
        """What an install leaves: the folder's files with size and time, the shortcut, the entries."""
        return files(folder) if folder.exists() else {}, shortcut.exists(), msi_entries(wine)

    # Beside the setup program's installation, the package refuses; and the other way round.
    check(wine.run(setup, "/S", timeout=120).returncode == 0, "the setup program failed")
    check(msiexec("/i", msi) == failure, "the package installed beside the setup program's installation")
    check(not msi_entries(wine), "the refused package left an entry")
    # Run in place, the uninstaller is waited for, with _?= unquoted (quoted, it is not seen, and
    # the uninstaller returns at once and removes later); it leaves itself behind.
    done = wine.run(folder / "uninstall.exe", "/S", r"_?=C:\Program", r"Files\Korvane", timeout=120)
    check(done.returncode == 0, f"the setup program's uninstaller failed: {done.returncode}")
    check(sorted(p.name for p in folder.iterdir()) == ["uninstall.exe"],
          f"the uninstaller run in place left {sorted(p.name for p in folder.iterdir())}")

    untouched = profiles()
    # For all users only: a per-user install is refused.
    check(msiexec("/i", msi, "ALLUSERS=") == failure, "a per-user install was not refused")
    check(not msi_entries(wine) and profiles() == untouched, "the refused per-user install left something")
    check(msiexec("/i", msi) == 0, "the silent install failed")
    check((folder / "Korvane.exe").read_bytes() == exe.read_bytes(), "Korvane.exe is not installed")
    check(shortcut.is_file() and "Korvane.exe" in shortcut.read_bytes().decode("latin-1"), "no shortcut")
    entries = msi_entries(wine)
    check(list(entries) == [first["ProductCode"]], f"Apps & features: {list(entries)}")
    entry = entries[first["ProductCode"]]
    for name, value in {"DisplayVersion": first["ProductVersion"], "Publisher": record["CompanyName"],
                        "WindowsInstaller": "0x1", "InstallLocation": "C:\\Program Files\\Korvane\\"}.items():
        check(entry.get(name, ("", ""))[1] == value, f"Apps & features: {name} is {entry.get(name)}")
    product = registry(wine, rf"HKLM\Software\Classes\Installer\Products\{packed(first['ProductCode'])}")
    icon = drive / product["ProductIcon"][1].removeprefix("C:\\").replace("\\", "/")
    check(icon.read_bytes() == (ROOT / "assets" / "korvane.ico").read_bytes(), f"the entry's icon {icon}")
    changed = set(profiles().items()) ^ set(untouched.items())
    check(not changed, f"the package wrote into a user's profile: {sorted(changed)[:3]}")
    check(packed(first["ProductCode"]).lower() in registry_text(wine, scratch), "the registry shows no package")
    installed = state()
    check(wine.run(setup, "/S", timeout=120).returncode == 2, "the setup program ran beside the package's installation")
    check(state() == installed, "the refused setup program changed the installation")
    # The setup program's uninstaller, left in the folder, refuses too.
    done = wine.run(folder / "uninstall.exe", "/S", r"_?=C:\Program", r"Files\Korvane", timeout=120)
    check(done.returncode == 2 and state() == installed, f"the setup's uninstaller beside the package: {done.returncode}")
    (folder / "uninstall.exe").unlink()
    installed = state()
    # An installed product keeps its folder.
    msiexec("/i", msi, r"INSTALLDIR=C:\Apps\Korvane")
    check(state() == installed and not (drive / "Apps").exists(), "INSTALLDIR moved the installed product")

    # The installed program computes; while it runs, nothing is upgraded or removed.
    program = Program(wine, folder / "Korvane.exe", peek, LC_ALL="en_US.UTF-8", LANG="en_US.UTF-8")
    program.click("Command1_0")
    program.wait_text("Text1_0", ENGLISH_REPORT, "Изчисли in the installed program")
    check(msiexec("/i", newer) == failure, "an upgrade over the running Korvane did not fail")
    check(msiexec("/x", msi) == failure, "a removal under the running Korvane did not fail")
    for name in ("KORVANE_PROGRAM_COMPONENT", "KorvaneProgramComponent"):
        check(msiexec("/x", msi, name + "={00000000-0000-0000-0000-000000000000}") == failure,
              f"a removal under the running Korvane with {name} given did not fail")
    check(state() == installed, "a refused upgrade or removal changed the installation")
    program.close()

    check(msiexec("/i", newer) == 0, "the upgrade failed")
    upgraded = state()
    check(list(upgraded[2]) == [second["ProductCode"]], f"after the upgrade: {list(upgraded[2])}")
    check(str(folder / "Korvane.exe") in upgraded[0] and upgraded[1], "the upgrade left no program or no shortcut")
    check(upgraded[2][second["ProductCode"]]["DisplayVersion"][1] == second["ProductVersion"], "the upgraded version")
    check(msiexec("/i", msi) == failure, "the older package installed over the newer")
    check(state() == upgraded, "the refused older package changed the installation")

    check(msiexec("/x", newer) == 0, "the silent removal failed")
    after = {p for p in drive.rglob("*") if "temp" not in str(p).lower()}
    left = [p for p in after - before if p.is_file() or any(t in p.name.lower() for t in traces)]
    check(not left, f"left behind: {sorted(map(str, left))[:5]}")
    registry_after = registry_text(wine, scratch)
    left = [t for t in traces if t in registry_after]
    check(not left, f"left in the registry: {left}")

    # Another folder, given on the command line; without a blank, which an argument of wine's own
    # command line cannot carry in the quotes that msiexec reads (Wine 10 refuses it with 1639).
    apps = drive / "Apps" / "Korvane"
    check(msiexec("/i", msi, r"INSTALLDIR=C:\Apps\Korvane") == 0, "the install into another folder failed")
    check((apps / "Korvane.exe").is_file() and not folder.exists(), "INSTALLDIR was not kept")
    check(msi_entries(wine)[first["ProductCode"]]["InstallLocation"][1] == "C:\\Apps\\Korvane\\",
          "the entry does not name the chosen folder")
    # With Korvane.exe deleted by hand, a repair and an upgrade go back to the installation's folder.
    for what, args in (("a repair", (msi, "REINSTALL=ALL", "REINSTALLMODE=amus")), ("an upgrade", (newer,))):
        (apps / "Korvane.exe").unlink()
        msiexec("/i", *args)
        check((apps / "Korvane.exe").is_file() and not folder.exists(), f"{what} left the installation's folder")
    check(msiexec("/x", newer) == 0 and not apps.exists(), "the removal from another folder")
    print(f"MSI {arch}: {msi.stat().st_size} bytes; silent install, upgrade to {second['ProductVersion']} in place, older "
          "package, per-user install, setup program beside it and running Korvane refused, removal without a trace, "
          "INSTALLDIR kept by repairs and upgrades")


def check_architectures(wine, setup, out):
    """The x86 setup program and package: in a 32-bit prefix, as on 32-bit Windows, all that the
    x64 ones go through; on 64-bit Windows (wine's own 64-bit prefix, clean again after the x64
    installers' checks), the x86 setup program refuses, the x64 package refuses while the x86
    one's Korvane runs and then replaces its installation, and the x86 package refuses beside the
    x64 one's. Needs a 32-bit Wine: where there is none, says so in one line."""
    build = setup.parent
    version = setup.name.split("-")[1]
    setup86, msi86, msi64 = (build / f"Korvane-{version}-{name}" for name in ("x86-setup.exe", "x86.msi", "x64.msi"))
    exe86, peek86 = build / "x86" / "Korvane.exe", build / "x86" / "tests" / "windows" / "peek.exe"
    relocations = check_relocatable(setup86)
    if not wine32_installed():
        print(f"skipped: the x86 installers under Wine, 32-bit Wine (wine32:i386) is not installed; the x86 setup "
              f"program carries {relocations} base relocations")
        return
    prefix = pathlib.Path(tempfile.mkdtemp(prefix="korvane-wine32-"))
    wine32 = Wine(wine.display, prefix, "win32")
    try:
        wine32.boot()
        check_installer(wine32, setup86, exe86, peek86)
        check_msi(wine32, msi86, setup86, exe86, peek86, out, arch="x86")
    finally:
        wine32.stop()
        shutil.rmtree(prefix, ignore_errors=True)

    drive = wine.prefix / "drive_c"
    folder86, folder64 = (drive / name / "Korvane" for name in ("Program Files (x86)", "Program Files"))
    failure = 1603 & 0xFF

    def msiexec(*args):
        return wine.run("msiexec", *args, "/qn", timeout=180).returncode

    def entries():
        """The Apps & features entries named Korvane, in the registry's 64-bit and 32-bit parts."""
        found = 0
        for view in ("/reg:64", "/reg:32"):
            done = wine.run("reg", "query", UNINSTALL_KEY.rsplit("\\", 1)[0], "/s", view)
            found += sum(1 for line in done.stdout.decode("utf-8", "replace").splitlines()
                         if re.fullmatch(r"\s*DisplayName\s+REG_SZ\s+Korvane\s*", line))
        return found

    check(wine.run(setup86, "/S", timeout=120).returncode == 2 and not folder86.exists(),
          "the x86 setup program installed on 64-bit Windows")
    check(msiexec("/i", msi86) == 0 and (folder86 / "Korvane.exe").read_bytes() == exe86.read_bytes() and
          entries() == 1, "the x86 package on 64-bit Windows")
    program = Program(wine, folder86 / "Korvane.exe", peek86)
    check(msiexec("/i", msi64) == failure and (folder86 / "Korvane.exe").is_file() and not folder64.exists(),
          "the x64 package replaced the running x86 Korvane")
    program.close()
    check(msiexec("/i", msi64) == 0, "the x64 package over the x86 one's installation failed")
    product = msi_properties(msi64)["ProductCode"]
    check(list(msi_entries(wine)) == [product] and entries() == 1 and not folder86.exists() and
          (folder64 / "Korvane.exe").is_file(), f"the x64 package over the x86 one's installation: {entries()} entries")
    check(msiexec("/i", msi86) == failure and entries() == 1 and not folder86.exists(),
          "the x86 package installed beside the x64 one's installation")
    check(msiexec("/x", msi64) == 0 and entries() == 0 and not folder64.exists(), "the x64 package's removal")
    print("x86 installers: as the x64 ones in a 32-bit prefix; on 64-bit Windows the x86 setup program refuses, "
          "the x64 package replaces the x86 one's installation (not while its Korvane runs), the x86 package "
          "refuses beside the x64 one's")


def in_prefix(arch, out, run):
    """run(wine) in a new prefix of that architecture, in a virtual display; both go after it."""
    prefix = pathlib.Path(tempfile.mkdtemp(prefix="korvane-wine-"))
    try:
        with VirtualDisplay(1024, 768) as display:
            wine = Wine(display, prefix, arch)
            try:
                wine.boot()
                run(wine)
            except Exception:
                display.screenshot(out / "wine-e2e-failure.png")  # what the screen showed when it failed
                raise
            finally:
                wine.stop()
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


def wine32_installed():
    status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "wine32:i386"], capture_output=True, text=True)
    return status.stdout.endswith("install ok installed")


def main():
    started = time.monotonic()
    if sys.argv[1] == "--window":
        arch, versions = sys.argv[2], sys.argv[3].split(",")
        peek, out, *exes = (pathlib.Path(a).resolve() for a in sys.argv[4:])
        if arch == "win32" and not wine32_installed():
            print(f"skipped: {', '.join(e.name for e in exes)} in a 32-bit prefix: 32-bit Wine (wine32:i386) "
                  "is not installed")
            sys.exit(77)
        for exe in exes:
            check_executable(exe)

        def run(wine):
            for version in versions:
                if version != "default":
                    wine.set_windows(version, peek)
                for exe in exes:
                    folder = out / f"{exe.stem}-{arch}-{version}"
                    folder.mkdir(exist_ok=True)
                    check_program(wine, exe, peek, folder, whole=version == "default")
                    print(f"{exe.parent.name}/{exe.name} in a {arch} prefix at Windows {version}: " +
                          ("window, keyboard, copy, English, Bulgarian, the user's symbols, 150 %"
                           if version == "default" else "layout, the example, 150 %"))

        in_prefix(arch, out, run)
        print(f"({time.monotonic() - started:.0f} s)")
        return
    exe, setup, peek, out = (pathlib.Path(a).resolve() for a in sys.argv[1:5])
    check_executable(exe)
    in_prefix("win64", out, lambda wine: run_all(wine, exe, setup, peek, out))
    print(f"Korvane.exe under Wine: window, keyboard, copy, English, Bulgarian, 150 %, installer "
          f"({time.monotonic() - started:.0f} s)")


def run_all(wine, exe, setup, peek, out):
    check_program(wine, exe, peek, out)
    check_installer(wine, setup, exe, peek)
    check_msi(wine, setup.with_name(setup.name.replace("-setup.exe", "-x64.msi")), setup, exe, peek, out)
    check_architectures(wine, setup, out)


def check_session(wine, exe, peek, out, english):
    """A user's session: the window, the report in Bulgarian and its copy, the user's own symbols."""
    untouched = files(wine.prefix / "drive_c")
    program = Program(wine, exe, peek, **english)
    check_window(program, out)
    program.close()

    program = Program(wine, exe, peek, LC_ALL="bg_BG.UTF-8", LANG="bg_BG.UTF-8")
    program.click("Command1_0")
    program.wait_text("Text1_0", BULGARIAN_REPORT, "the report in Bulgarian")
    # The problem box's menu: "Копирай" greyed while nothing is selected; "Избери всичко", then "Копирай".
    check(program.inked_menu_items("Text1_0") == 1, "Копирай is not greyed while nothing is selected")
    program.menu("Text1_0", "Down", "Down", "Return")
    check(program.inked_menu_items("Text1_0") == 2, "Копирай is greyed with all the text selected")
    program.menu("Text1_0", "Down", "Return")
    wait_for("the copy from the menu", lambda: (program.ask("clipboard") or {}).get("unicode_text"),
             lambda text: text == BULGARIAN_REPORT + "\0")
    program.screenshot(out / "screenshot-windows-bg.png")
    program.close()
    changed = set(files(wine.prefix / "drive_c").items()) ^ set(untouched.items())
    check(not changed, f"Korvane.exe changed files: {sorted(changed)[:3]}")

    # The user's own regional settings, as changed in the Control Panel.
    international = r"HKCU\Control Panel\International"
    for name, value in zip(("sDecimal", "sThousand"), OVERRIDE_SYMBOLS):
        wine.run("reg", "add", international, "/v", name, "/t", "REG_SZ", "/d", value, "/f")
    program = Program(wine, exe, peek, **english)
    for box, text in zip(("Text2_0", "Text2_1", "Text2_2"), OVERRIDE.inputs):
        program.click(box)
        program.keys("End", "BackSpace", "BackSpace", "BackSpace", "BackSpace")
        program.type(text)
    program.keys("Return")
    program.wait_text("Text1_0", report_text(OVERRIDE.name), "the report with the user's own symbols")
    program.close()
    for name in ("sDecimal", "sThousand"):
        wine.run("reg", "delete", international, "/v", name, "/f")


def check_program(wine, exe, peek, out, whole=True):
    """Korvane.exe itself: its window and a user's session, its report in English and in
    Bulgarian, with the user's own symbols (not whole: its window as it opens and the example's
    report), and at 150 %."""
    english = dict(LC_ALL="en_US.UTF-8", LANG="en_US.UTF-8")
    if whole:
        check_session(wine, exe, peek, out, english)
    else:
        program = Program(wine, exe, peek, **english)
        check_layout(program)
        program.click("Command1_0")
        program.wait_text("Text1_0", ENGLISH_REPORT, "Изчисли")
        program.close()

    # 150 %: the window and everything in it one and a half times the size. The
    # scale is the session's, as on Windows, where it takes a new sign-in: Wine 10
    # keeps it for as long as its desktop runs (Wine 8 read it at each start), so
    # Wine is stopped after the change and the next program starts a new session.
    wine.run("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
    wine.stop()
    program = Program(wine, exe, peek, scale=1.5, **english)
    check((program.width, program.height) == (WINDOW.width * 3 // 2, WINDOW.height * 3 // 2),
          f"at 150 % the client area is {program.width} x {program.height}")
    program.click("Command1_0")  # the layout is scaled: the button is where the form puts it, times 1.5
    program.wait_text("Text1_0", ENGLISH_REPORT, "Изчисли at 150 %")
    program.screenshot(out / "screenshot-windows-150.png")
    program.close()
    wine.run("reg", "delete", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/f")
    wine.stop()


if __name__ == "__main__":
    main()
