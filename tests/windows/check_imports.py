#!/usr/bin/python3
"""Which Windows the Windows programs need: each imported function's oldest Windows, from
windows_functions.txt beside this file, must be Windows 7 SP1 or older; the programs declare
Windows 7 (subsystem and OS version 6.1; an installer's may be older) and load at a random
address with no code in their data (DYNAMIC_BASE, NX_COMPAT; 64-bit ones with 64-bit addresses).

Usage: check_imports.py PROGRAM... [--installers EXE...]
"""
import pathlib
import sys

import pefile

WINDOWS = {"XP": (5, 1), "Vista": (6, 0), "7": (6, 1), "8": (6, 2), "8.1": (6, 3),
           "10": (10, 0), "10-1607": (10, 0, 14393)}
WINDOWS_7 = WINDOWS["7"]


def read_table():
    table = {}
    for line in (pathlib.Path(__file__).with_name("windows_functions.txt")).read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            windows, dll, *functions = line.split()
            for function in functions:
                table[(dll, function)] = windows
    return table


def check(path, table, installer):
    pe = pefile.PE(str(path))
    header, failures, newer_than_xp = pe.OPTIONAL_HEADER, [], []
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        dll = entry.dll.decode().lower()
        for function in entry.imports:
            name = function.name.decode() if function.name else f"#{function.ordinal}"
            windows = table.get((dll, name)) or table.get((dll, "*"))
            if windows is None:
                failures.append(f"{dll}!{name} is not in windows_functions.txt")
            elif WINDOWS[windows] > WINDOWS_7:
                failures.append(f"{dll}!{name} needs Windows {windows}")
            elif WINDOWS[windows] > WINDOWS["XP"]:
                newer_than_xp.append(f"{dll}!{name} ({windows})")
    declared = {"subsystem": (header.MajorSubsystemVersion, header.MinorSubsystemVersion),
                "OS": (header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion)}
    for what, version in declared.items():
        if version > WINDOWS_7 if installer else version != WINDOWS_7:
            failures.append(f"its {what} version is {version[0]}.{version[1]}, not 6.1")
    flags = ["DYNAMIC_BASE", "NX_COMPAT"] + (["HIGH_ENTROPY_VA"] if pe.PE_TYPE == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS
                                             and not installer else [])
    for flag in flags:
        if not header.DllCharacteristics & pefile.DLL_CHARACTERISTICS[f"IMAGE_DLLCHARACTERISTICS_{flag}"]:
            failures.append(f"it lacks {flag}")
    if b"Korvane_missing_" in path.read_bytes():  # a build with tests must not ship the test build's lookups
        failures.append("it looks the newer functions up under the test build's missing names")
    bits = 64 if pe.PE_TYPE == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS else 32
    print(f"{path.name} ({bits}-bit, {path.stat().st_size} bytes, subsystem {header.MajorSubsystemVersion}."
          f"{header.MinorSubsystemVersion}): imports newer than Windows XP: {', '.join(newer_than_xp) or 'none'}")
    return [f"{path}: {failure}" for failure in failures]


def main():
    args = sys.argv[1:]
    split = args.index("--installers") if "--installers" in args else len(args)
    table = read_table()
    failures = [f for p in args[:split] for f in check(pathlib.Path(p), table, False)]
    failures += [f for p in args[split + 1:] for f in check(pathlib.Path(p), table, True)]
    if failures:
        sys.exit("\n".join(failures))


if __name__ == "__main__":
    main()
