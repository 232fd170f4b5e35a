#!/usr/bin/python3
"""Start-up benchmark under Xvfb: wall time from launch to the window being
mapped, and resident memory once the program has settled, for korvane and for
a bare Qt window with the same kinds of widgets (the floor). Runs interleaved;
prints medians and ratios. With --wine, the two are Windows programs (Korvane.exe
and bench/bare_window_win32.cpp) run by Wine in a private prefix whose wineserver
stays up, as it does on a desktop where other Windows programs run. With --empty,
a third program, a window without any controls, runs interleaved with them too, and
the ratio to it is printed as well.

Usage: startup.py [--wine] [--empty EMPTY_WINDOW] KORVANE BARE_WINDOW [RUNS]
"""
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "e2e"))
from xdisplay import MapWatcher, VirtualDisplay  # noqa: E402

SETTLE_SECONDS = 0.5


def resident_kib(pid):
    for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def measure(display, command):
    watcher = MapWatcher(display.env["DISPLAY"])
    try:
        start = time.monotonic()
        program = subprocess.Popen(command, env=display.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        mapped = watcher.wait()
    finally:
        watcher.close()
    time.sleep(SETTLE_SECONDS)
    memory = resident_kib(program.pid)
    program.terminate()
    program.wait(timeout=10)
    return (mapped - start) * 1000, memory


def main():
    args = sys.argv[1:]
    wine = args[:1] == ["--wine"]
    args = args[1:] if wine else args
    empty = args[1] if args[:1] == ["--empty"] else None
    args = args[2:] if empty else args
    launcher = ["wine"] if wine else []
    programs = {"korvane": launcher + [args[0]], "floor": launcher + [args[1]]}
    if empty:
        programs["empty"] = launcher + [empty]
    runs = int(args[2]) if len(args) > 2 else 10
    results = {name: ([], []) for name in programs}
    env = {"XDG_RUNTIME_DIR": os.environ.get("XDG_RUNTIME_DIR", "/tmp")}
    prefix = pathlib.Path(tempfile.mkdtemp(prefix="korvane-bench-wine-")) if wine else None
    if wine:
        env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        subprocess.run(["wineboot", "-i"], env=dict(os.environ, **env), check=True, capture_output=True)
        subprocess.run(["wineserver", "-p"], env=dict(os.environ, **env), check=True)
    try:
        run_all(programs, runs, results, env)
    finally:
        if wine:
            subprocess.run(["wineserver", "-k"], env=dict(os.environ, **env))
            shutil.rmtree(prefix, ignore_errors=True)
    report(results, runs)


def run_all(programs, runs, results, env):
    with VirtualDisplay(extra_env=env) as display:
        for name, executable in programs.items():  # one untimed start each, to warm the file cache
            measure(display, executable)
        for _ in range(runs):
            for name, executable in programs.items():
                ms, kib = measure(display, executable)
                results[name][0].append(ms)
                results[name][1].append(kib)


def report(results, runs):
    medians = {name: (statistics.median(t), statistics.median(m)) for name, (t, m) in results.items()}
    for name, (ms, kib) in medians.items():
        print(f"{name:8} start-up {ms:7.1f} ms   resident {kib / 1024:6.1f} MiB   (median of {runs})")
    korvane, floor = medians["korvane"], medians["floor"]
    print(f"ratio    start-up {korvane[0] / floor[0]:.3f}   resident {korvane[1] / floor[1]:.3f}")
    if "empty" in medians:
        empty = medians["empty"]
        print(f"to empty start-up {korvane[0] / empty[0]:.3f}   resident {korvane[1] / empty[1]:.3f}"
              f"   (a window without controls)")


if __name__ == "__main__":
    main()
