#!/usr/bin/python3
"""Korvane's Windows Installer package from windows/korvane.wxs, with Debian's wixl.

In: the architecture (x64 or x86), the version (major.minor.patch), that architecture's
Korvane.exe and the package's custom action DLL
(windows/msi_action.cpp), the icon, the publisher and the product family. Out: the .msi,
the same bytes from the same inputs wherever and whenever it is built.

wixl draws a new package code and writes the build's time into the summary information on
every run, and the cabinet dates Korvane.exe by its file time: the file is staged with the
release's time (SOURCE_DATE_EPOCH, or 1 January 1980 without it), and the summary
information's times and package code are then written over, in place. The product code is
derived from the version and the package code from the package's own bytes, so both change
exactly when they must.

Usage: build_msi.py ARCH VERSION KORVANE_EXE ACTION_DLL ICON PUBLISHER PRODUCT OUT_MSI
"""
import hashlib
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import uuid

import olefile

WXS = pathlib.Path(__file__).resolve().parent / "korvane.wxs"
SUMMARY = "\x05SummaryInformation"
PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64
DOS_EPOCH = 315532800  # 1980-01-01, the earliest time a cabinet can hold
FILETIME_AT_UNIX_EPOCH = 116444736000000000  # 100-ns steps from 1601 to 1970


# Each architecture's codes, Korvane's for good: the UpgradeCode by which every version's package
# finds the others, and the GUID of the component that installs Korvane.exe. The x64 ones are
# those of the package before there was an x86 one.
ARCHES = {
    "x64": {"UpgradeCode": "54F29D37-211B-41C3-95EB-F7BA6C0B03B9", "ProgramComponent": "FFEAEB9F-F032-48E6-86CF-110A7CD35F4A",
            "Win64": "yes", "ProgramFilesFolder": "ProgramFiles64Folder"},
    "x86": {"UpgradeCode": "D4C9EF1D-9648-461F-AAEB-390E9847115F", "ProgramComponent": "1489AF58-05DD-4748-8701-25AA157C562D",
            "Win64": "no", "ProgramFilesFolder": "ProgramFilesFolder"},
}


def guid(namespace, name):
    return "{" + str(uuid.uuid5(namespace, name)).upper() + "}"


def summary_values(stream):
    """The offsets of the summary properties' values in the stream, by property id."""
    section = struct.unpack_from("<I", stream, 44)[0]  # after the header and the one FMTID
    count = struct.unpack_from("<I", stream, section + 4)[0]
    values = {}
    for i in range(count):
        pid, offset = struct.unpack_from("<II", stream, section + 8 + 8 * i)
        values[pid] = section + offset
    return values


def set_value(stream, values, pid, kind, data):
    at = values[pid]
    if struct.unpack_from("<I", stream, at)[0] != kind:
        raise SystemExit(f"build_msi: summary property {pid} is not of the type wixl wrote before")
    if kind == VT_LPSTR:
        length = struct.unpack_from("<I", stream, at + 4)[0]
        if len(data) + 1 != length:
            raise SystemExit(f"build_msi: summary property {pid} holds {length} bytes, not {len(data) + 1}")
        stream[at + 8:at + 8 + length] = data + b"\0"
    else:
        stream[at + 4:at + 4 + len(data)] = data


def pin_summary(msi, epoch, namespace):
    """The summary information's two times become epoch; its package code, one derived from
    the package as it stands with a blank code."""
    filetime = struct.pack("<Q", FILETIME_AT_UNIX_EPOCH + epoch * 10_000_000)
    blank = b"{00000000-0000-0000-0000-000000000000}"
    with olefile.OleFileIO(str(msi), write_mode=True) as ole:
        stream = bytearray(ole.openstream(SUMMARY).read())
        values = summary_values(stream)
        set_value(stream, values, PID_CREATE_DTM, VT_FILETIME, filetime)
        set_value(stream, values, PID_LASTSAVE_DTM, VT_FILETIME, filetime)
        set_value(stream, values, PID_REVNUMBER, VT_LPSTR, blank)
        ole.write_stream(SUMMARY, bytes(stream))
    code = guid(namespace, "package " + hashlib.sha256(msi.read_bytes()).hexdigest()).encode()
    with olefile.OleFileIO(str(msi), write_mode=True) as ole:
        set_value(stream, values, PID_REVNUMBER, VT_LPSTR, code)
        ole.write_stream(SUMMARY, bytes(stream))


def main():
    arch, version, exe, action, icon, publisher, product, out = sys.argv[1:9]
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH") or DOS_EPOCH)
    (other,) = set(ARCHES) - {arch}
    namespace = uuid.UUID(ARCHES[arch]["UpgradeCode"])
    out = pathlib.Path(out).resolve()
    with tempfile.TemporaryDirectory() as staging:
        staged = pathlib.Path(staging)
        shutil.copyfile(exe, staged / "Korvane.exe")
        os.utime(staged / "Korvane.exe", (epoch, epoch))
        shutil.copyfile(action, staged / "korvane_msi.dll")
        shutil.copyfile(icon, staged / "korvane.ico")
        built = staged / out.name
        major, minor, patch = version.split(".")
        defines = {"Arch": arch, "Version": version, "NextVersion": f"{major}.{minor}.{int(patch) + 1}",
                   "ProductCode": guid(namespace, "product " + version),
                   "Publisher": publisher, "Product": product, "Exe": "Korvane.exe", "Icon": "korvane.ico",
                   **ARCHES[arch], "OtherUpgradeCode": ARCHES[other]["UpgradeCode"],
                   "OtherProgramComponent": ARCHES[other]["ProgramComponent"]}
        command = ["wixl", "-a", arch, "-o", str(built), str(WXS)]
        for name, value in defines.items():
            command[1:1] = ["-D", f"{name}={value}"]
        # wixl finds the files by relative names only. The cabinet keeps local times: the
        # build's time zone must not reach it.
        subprocess.run(command, check=True, cwd=staged, env=dict(os.environ, TZ="UTC", SOURCE_DATE_EPOCH=str(epoch)))
        pin_summary(built, epoch, namespace)
        shutil.move(built, out)


if __name__ == "__main__":
    main()
