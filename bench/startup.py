#!/usr/bin/python3
"""Start-up benchmark under Xvfb: wall time from launch to the window being
mapped, and resident memory once the program has settled, for korvane and for
a bare Qt window with the same kinds of widgets (the floor). Runs interleaved;
prints medians and ratios.

Usage: startup.py KORVANE BARE_WINDOW [RUNS]
"""
import os
import pathlib
import statistics
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "e2e"))
from xdisplay import MapWatcher, VirtualDisplay  # noqa: E402

SETTLE_SECONDS = 0.5


def resident_kib(pid):
    for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def measure(display, executable):
    watcher = MapWatcher(display.env["DISPLAY"])
    try:
        start = time.monotonic()
        program = subprocess.Popen([executable], env=display.env, stdout=subprocess.DEVNULL,
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
    programs = {"korvane": sys.argv[1], "floor": sys.argv[2]}
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    results = {name: ([], []) for name in programs}
    env = {"XDG_RUNTIME_DIR": os.environ.get("XDG_RUNTIME_DIR", "/tmp")}
    with VirtualDisplay(extra_env=env) as display:
        for name, executable in programs.items():  # one untimed start each, to warm the file cache
            measure(display, executable)
        for _ in range(runs):
            for name, executable in programs.items():
                ms, kib = measure(display, executable)
                results[name][0].append(ms)
                results[name][1].append(kib)
    medians = {name: (statistics.median(t), statistics.median(m)) for name, (t, m) in results.items()}
    for name, (ms, kib) in medians.items():
        print(f"{name:8} start-up {ms:7.1f} ms   resident {kib / 1024:6.1f} MiB   (median of {runs})")
    korvane, floor = medians["korvane"], medians["floor"]
    print(f"ratio    start-up {korvane[0] / floor[0]:.3f}   resident {korvane[1] / floor[1]:.3f}")


if __name__ == "__main__":
    main()
