#!/usr/bin/python3
"""Runs the real executable under strace in Xvfb: started, calculated and closed,
it opens no file for writing, creates or removes nothing, starts no program and
opens no socket but the display connection (and libc's name-service probe).
Calls that the system refused count for nothing: Qt tries to create the runtime
folder on every start and is told that it exists.

Usage: syscalls_e2e.py KORVANE_EXECUTABLE
"""
import os
import pathlib
import re
import subprocess
import sys
import tempfile

from xdisplay import VirtualDisplay

WRITES = ("O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC", "O_APPEND")
CHANGES = {"creat", "mkdir", "mkdirat", "rename", "renameat", "renameat2", "unlink", "unlinkat", "link", "linkat",
           "symlink", "symlinkat", "truncate", "rmdir"}
TRACED = sorted(CHANGES | {"open", "openat", "socket", "connect", "bind", "execve", "vfork", "fork"})
ALLOWED_UNIX_PEERS = ("/tmp/.X11-unix/X", "/var/run/nscd/socket")


def violations(log, executable):
    found = []
    for line in log.splitlines():
        call = re.match(r"\d+\s+(\w+)\(", line)
        if not call:
            continue
        name = call.group(1)
        if re.search(r"= -1 E[A-Z]+", line):  # refused: nothing was written, created or connected
            continue
        if name in CHANGES or name in ("vfork", "fork"):
            found.append(line)
        elif name in ("open", "openat") and any(flag in line for flag in WRITES):
            found.append(line)
        elif name == "socket" and "AF_UNIX" not in line:
            found.append(line)
        elif name in ("connect", "bind") and not any(peer in line for peer in ALLOWED_UNIX_PEERS):
            found.append(line)
        elif name == "execve" and f'execve("{executable}"' not in line:
            found.append(line)
    return found


def main():
    executable = str(pathlib.Path(sys.argv[1]).resolve())
    with tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        env = {"HOME": home, "XDG_RUNTIME_DIR": runtime}
        with VirtualDisplay(extra_env=env) as display:
            display.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
            log_path = pathlib.Path(home).parent / f"korvane-strace-{os.getpid()}.log"
            program = subprocess.Popen(["strace", "-f", "-qq", "-o", str(log_path), "-e", "trace=" + ",".join(TRACED),
                                        executable], env=display.env, stderr=subprocess.DEVNULL)
            try:
                window = display.wait_for_window("дебелина на кръста")
                x, y, _, _ = display.geometry(window)
                display.click(x + 272 + 8 + 36, y + 32 + 120 + 12)
                display.close_window(window)
                code = program.wait(timeout=20)
            finally:
                if program.poll() is None:
                    program.kill()
                    program.wait()
        log = log_path.read_text()
        log_path.unlink()
        left = list(pathlib.Path(home).rglob("*")) + list(pathlib.Path(runtime).rglob("*"))
    problems = violations(log, executable)
    if code != 0 or problems or left:
        print(f"exit code {code}", *problems, *(f"left behind: {p}" for p in left), sep="\n")
        sys.exit(1)
    print(f"{len(log.splitlines())} traced calls: no writes, no new files, no programs, only the display socket")


if __name__ == "__main__":
    main()
