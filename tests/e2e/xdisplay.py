"""A private Xvfb display and the few X requests the end-to-end tests need,
with Debian's Xvfb, xdotool, xwininfo and ImageMagick's import."""
import ctypes
import os
import re
import subprocess
import time


def threads_waiting(pid):
    """Each thread's name and the number of the system call it waits in, from /proc."""
    def read(task, name):
        with open(f"/proc/{pid}/task/{task}/{name}") as file:
            return file.read().split(maxsplit=1)[0] if name == "syscall" else file.read().strip()
    return ", ".join(f"{read(task, 'comm')}: {read(task, 'syscall')}" for task in sorted(os.listdir(f"/proc/{pid}/task")))


class VirtualDisplay:
    """Xvfb on a free display number, stopped on exit. It never resets: an X server by default
    starts over whenever its last client leaves (a short-lived xwininfo, the accessibility bus's
    launcher), and a program that connects in that moment is turned away."""

    def __init__(self, width=800, height=600, extra_env=None):
        self.size = (width, height)
        self.env = dict(os.environ, **(extra_env or {}))
        self.process = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{self.size[0]}x{self.size[1]}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.env["DISPLAY"] = ":" + number.decode().strip()
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=10)

    def run(self, *args, timeout=20):
        return subprocess.run(args, env=self.env, check=True, capture_output=True, text=True, timeout=timeout).stdout

    def wait_for_window(self, title_part, timeout=90, process=None):
        """The first viewable top-level window whose name contains title_part, waited for
        with a generous bound (a loaded machine may take seconds to start a program).
        Names are compared here, not by xdotool, whose patterns miss Cyrillic now and then."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if process is not None and process.poll() is not None:
                raise RuntimeError(f"the program ended with {process.returncode} before its window appeared")
            tree = subprocess.run(["xwininfo", "-root", "-children"], env=self.env, capture_output=True, text=True)
            for line in tree.stdout.splitlines():
                match = re.match(r'\s*(0x[0-9a-f]+) "(.*)":', line)
                if match and title_part in match.group(2):
                    info = self.run("xwininfo", "-id", match.group(1))
                    if "IsViewable" in info:
                        return int(match.group(1), 16)
            time.sleep(0.05)  # a poll interval, not a wait for the outcome
        waiting = "" if process is None else f"; the program's threads wait in system calls {threads_waiting(process.pid)}"
        raise TimeoutError(f"no window named like {title_part!r} within {timeout} s{waiting}")

    def geometry(self, window):
        info = self.run("xwininfo", "-id", str(window))
        value = lambda key: int(re.search(rf"{key}:\s+(-?\d+)", info).group(1))
        return value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height")

    def click(self, x, y):
        self.run("xdotool", "mousemove", str(x), str(y), "click", "1")

    def screenshot(self, path):
        self.run("import", "-window", "root", str(path))

    def pixels(self):
        """The screen as (width, height, rgb bytes)."""
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env, check=True,
                             capture_output=True, timeout=20).stdout
        magic, width, height, maxval, data = ppm.split(maxsplit=4)
        assert magic == b"P6" and maxval == b"255"
        return int(width), int(height), data

    def pixel(self, x, y):
        width, _, data = self.pixels()
        at = 3 * (y * width + x)
        return tuple(data[at:at + 3])

    def close_window(self, window):
        """Asks the window to close, as a window manager's close button does (WM_DELETE_WINDOW)."""
        x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                        ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

        display = x11.XOpenDisplay(self.env["DISPLAY"].encode())
        event = ClientMessage()
        event.type = 33  # ClientMessage
        event.window = window
        event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.format = 32
        event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
        x11.XFlush(display)
        x11.XCloseDisplay(display)


class MapWatcher:
    """Notes the moment a top-level window is mapped on the display's root window."""

    MAP_NOTIFY = 19
    SUBSTRUCTURE_NOTIFY_MASK = 1 << 19

    def __init__(self, display_name):
        self.x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x11.XPending.argtypes = [ctypes.c_void_p]
        self.x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display_name}")
        self.x11.XSelectInput(self.display, self.x11.XDefaultRootWindow(self.display), self.SUBSTRUCTURE_NOTIFY_MASK)
        self.x11.XSync(self.display, 0)

    def wait(self, timeout=20):
        """time.monotonic() when the next window is mapped."""
        import select
        event = ctypes.create_string_buffer(192)
        deadline = time.monotonic() + timeout
        while True:
            while self.x11.XPending(self.display):
                self.x11.XNextEvent(self.display, event)
                if ctypes.c_int.from_buffer(event).value == self.MAP_NOTIFY:
                    return time.monotonic()
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise TimeoutError("no window was mapped")
            select.select([self.x11.XConnectionNumber(self.display)], [], [], remaining)

    def close(self):
        self.x11.XCloseDisplay(self.display)
