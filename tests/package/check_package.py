#!/usr/bin/python3
"""Builds the Debian package with CPack and checks it: its files, its declared
dependencies, and the desktop entry and AppStream metadata it installs, with
desktop-file-validate and appstreamcli, and the whole package with lintian.

Usage: check_package.py BUILD_FOLDER APP_ID
"""
import pathlib
import subprocess
import sys
import tempfile


def run(*args, cwd=None):
    return subprocess.run(args, check=True, capture_output=True, text=True, cwd=cwd).stdout


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def main():
    build, app_id = pathlib.Path(sys.argv[1]).resolve(), sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        run("cpack", "--config", str(build / "CPackConfig.cmake"), "-B", str(work))
        debs = list(work.glob("korvane_*.deb"))
        check(len(debs) == 1, f"expected one package, found {debs}")
        deb = debs[0]

        files = {line.split()[-1].lstrip(".") for line in run("dpkg-deb", "-c", str(deb)).splitlines()}
        for wanted in ("/usr/bin/korvane", f"/usr/share/applications/{app_id}.desktop",
                       f"/usr/share/metainfo/{app_id}.metainfo.xml",
                       f"/usr/share/icons/hicolor/32x32/apps/{app_id}.png"):
            check(wanted in files, f"{wanted} is not in the package")

        depends = run("dpkg-deb", "-f", str(deb), "Depends")
        for wanted in ("libqt6widgets6", "libqt6gui6", "libqt6core6", "qt6-qpa-plugins", "libstdc++6"):
            check(wanted in depends, f"the package does not depend on {wanted}: {depends}")
        check(run("dpkg-deb", "-f", str(deb), "Version").strip() == "1.0.0", "package version is not 1.0.0")

        tree = work / "tree"
        run("dpkg-deb", "-x", str(deb), str(tree))
        run("desktop-file-validate", str(tree / f"usr/share/applications/{app_id}.desktop"))
        run("appstreamcli", "validate", "--no-net", "--pedantic",
            str(tree / f"usr/share/metainfo/{app_id}.metainfo.xml"))
        for wanted in ("/usr/share/doc/korvane/copyright", "/usr/share/doc/korvane/changelog.gz",
                       "/usr/share/man/man1/korvane.1.gz", "/usr/share/man/bg/man1/korvane.1.gz"):
            check(wanted in files, f"{wanted} is not in the package")

        # Debian's own checks: no error and no warning.
        found = subprocess.run(["lintian", "--no-tag-display-limit", str(deb)], capture_output=True, text=True)
        tags = [line for line in found.stdout.splitlines() if line.startswith(("E:", "W:"))]
        check(not tags, "lintian: " + "; ".join(tags))
        print(f"{deb.name}: {len(files)} entries; Depends: {depends.strip()}; lintian clean")


if __name__ == "__main__":
    main()
