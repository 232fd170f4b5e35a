#!/usr/bin/python3
"""Builds the Debian package of the source folder with dpkg-buildpackage (its unit
tests left out: make test runs them) and checks it: its files, its version, its
declared dependencies, and the desktop entry and AppStream metadata it installs,
with desktop-file-validate and appstreamcli, and the whole package with lintian.

Usage: check_package.py SOURCE_FOLDER APP_ID PROJECT_VERSION
"""
import os
import pathlib
import subprocess
import sys
import tempfile


def run(*args, env=None):
    return subprocess.run(args, check=True, capture_output=True, text=True, env=env).stdout


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def main():
    source, app_id, version = pathlib.Path(sys.argv[1]).resolve(), sys.argv[2], sys.argv[3]
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        options = " ".join(filter(None, [os.environ.get("DEB_BUILD_OPTIONS"), "nocheck"]))
        try:
            deb = pathlib.Path(run(str(source / "scripts/build-deb.sh"), str(source), str(work),
                                   env=dict(os.environ, DEB_BUILD_OPTIONS=options)).strip())
        except subprocess.CalledProcessError as failed:
            raise AssertionError(f"the package did not build:\n{failed.stderr}") from None

        files = {line.split()[-1].lstrip(".") for line in run("dpkg-deb", "-c", str(deb)).splitlines()}
        for wanted in ("/usr/bin/korvane", f"/usr/share/applications/{app_id}.desktop",
                       f"/usr/share/metainfo/{app_id}.metainfo.xml",
                       f"/usr/share/icons/hicolor/32x32/apps/{app_id}.png"):
            check(wanted in files, f"{wanted} is not in the package")

        depends = run("dpkg-deb", "-f", str(deb), "Depends")
        for wanted in ("libqt6widgets6", "libqt6gui6", "libqt6core6", "qt6-qpa-plugins", "libstdc++6"):
            check(wanted in depends, f"the package does not depend on {wanted}: {depends}")
        package_version = run("dpkg-deb", "-f", str(deb), "Version").strip()
        check(package_version.startswith(version + "-"), f"package version {package_version} is not {version}-N")

        tree = work / "tree"
        run("dpkg-deb", "-x", str(deb), str(tree))
        run("desktop-file-validate", str(tree / f"usr/share/applications/{app_id}.desktop"))
        run("appstreamcli", "validate", "--no-net", "--pedantic",
            str(tree / f"usr/share/metainfo/{app_id}.metainfo.xml"))
        for wanted in ("/usr/share/doc/korvane/copyright", "/usr/share/doc/korvane/changelog.Debian.gz",
                       "/usr/share/man/man1/korvane.1.gz", "/usr/share/man/bg/man1/korvane.1.gz"):
            check(wanted in files, f"{wanted} is not in the package")

        # Debian's own checks: no error and no warning.
        found = subprocess.run(["lintian", "--no-tag-display-limit", str(deb)], capture_output=True, text=True)
        tags = [line for line in found.stdout.splitlines() if line.startswith(("E:", "W:"))]
        check(not tags, "lintian: " + "; ".join(tags))
        print(f"{deb.name}: {len(files)} entries; Depends: {depends.strip()}; lintian clean")


if __name__ == "__main__":
    main()
