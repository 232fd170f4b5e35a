#!/usr/bin/python3
"""A signed release's Windows files, as a user gets them: each signature verifies against the
signer's certificate (Korvane.exe, the setup program, the uninstaller it installs, the MSI);
both installers carry the signed Korvane.exe; and that Korvane.exe, installed by the setup
program under Wine, starts and computes the example.

Usage: signed_release.py DIST_FOLDER CERTIFICATE PEEK_EXE
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile

from wine_e2e import ENGLISH_REPORT, Program, VirtualDisplay, Wine, check


def verify(path, certificate):
    done = subprocess.run(["osslsigncode", "verify", "-CAfile", str(certificate), "-in", str(path)],
                          capture_output=True, text=True)
    check(done.returncode == 0 and "Succeeded" in done.stdout,
          f"{path.name}: the signature does not verify:\n{done.stdout}{done.stderr}")


def main():
    dist, certificate, peek = (pathlib.Path(a).resolve() for a in sys.argv[1:4])
    exe = dist / "Korvane.exe"
    setup, = (path for path in dist.glob("Korvane-*-setup.exe") if "-x86-" not in path.name)
    msi, = dist.glob("Korvane-*-x64.msi")
    for path in (exe, setup, msi):
        verify(path, certificate)
    scratch = pathlib.Path(tempfile.mkdtemp(prefix="korvane-signed-"))
    try:
        subprocess.run(["msiextract", "-C", str(scratch / "msi"), str(msi)], check=True, capture_output=True)
        packed, = (scratch / "msi").rglob("Korvane.exe")
        check(packed.read_bytes() == exe.read_bytes(), "the MSI does not carry the signed Korvane.exe")
        with VirtualDisplay(1024, 768) as display:
            wine = Wine(display, scratch / "prefix")
            try:
                wine.boot()
                check(wine.run(setup, "/S", r"/D=C:\Korvane", timeout=120).returncode == 0, "the setup program failed")
                folder = scratch / "prefix" / "drive_c" / "Korvane"
                check((folder / "Korvane.exe").read_bytes() == exe.read_bytes(),
                      "the setup program does not carry the signed Korvane.exe")
                verify(folder / "uninstall.exe", certificate)
                program = Program(wine, folder / "Korvane.exe", peek, LC_ALL="en_US.UTF-8", LANG="en_US.UTF-8")
                program.click("Command1_0")
                program.wait_text("Text1_0", ENGLISH_REPORT, "Изчисли in the signed Korvane.exe")
                program.close()
            finally:
                wine.stop()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"signed release: {exe.name}, {setup.name}, its uninstaller and {msi.name} verify against "
          f"{certificate.name}; the signed Korvane.exe computes under Wine")


if __name__ == "__main__":
    main()
