#!/usr/bin/python3
"""Compiles the generated Windows resource script with MinGW's windres and reads
the compiled resources back: the version record and the icon group. Given the
built Korvane.exe instead, reads the same resources out of it with pefile.

Usage: check_version_record.py KORVANE_RC|KORVANE_EXE WORK_FOLDER
"""
import pathlib
import struct
import subprocess
import sys

RT_ICON, RT_VERSION, RT_GROUP_ICON = 3, 16, 14


def align4(n):
    return (n + 3) & ~3


def read_id(data, at):
    """A resource type or name: 0xFFFF and a number, or a NUL-ended UTF-16 text."""
    if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def resources(data):
    """(type, name, language) -> bytes, from a .res file."""
    found, at = {}, 0
    while at < len(data):
        size, header = struct.unpack_from("<II", data, at)
        kind, after = read_id(data, at + 8)
        name, after = read_id(data, after)
        after = align4(after)
        _, _, language = struct.unpack_from("<IHH", data, after)
        body = data[at + header:at + header + size]
        if size:
            found[(kind, name, language)] = body
        at = align4(at + header + size)
    return found


def exe_resources(path):
    """(type, name, language) -> bytes, from an executable, as resources() gives them."""
    import pefile
    pe = pefile.PE(str(path), fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                data = language.data.struct
                key = (kind.id if kind.name is None else str(kind.name),
                       name.id if name.name is None else str(name.name), language.id)
                found[key] = pe.get_data(data.OffsetToData, data.Size)
    return found


def version_block(data, at=0):
    """One node of a version record: (key, value bytes, children)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    key_end = at + 6
    while struct.unpack_from("<H", data, key_end)[0] != 0:
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = align4(key_end + 2)
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_at:value_at + value_size]
    children, child = [], align4(value_at + value_size)
    while child < at + length:
        node = version_block(data, child)
        children.append(node)
        child = align4(child + struct.unpack_from("<H", data, child)[0])
    return key, value, children


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def main():
    rc, work = pathlib.Path(sys.argv[1]).resolve(), pathlib.Path(sys.argv[2]).resolve()
    if rc.suffix.lower() == ".exe":
        found = exe_resources(rc)
    else:
        work.mkdir(parents=True, exist_ok=True)
        res = work / "korvane.res"
        subprocess.run(["x86_64-w64-mingw32-windres", "--preprocessor=cpp", "-i", str(rc), "-O", "res", "-o",
                        str(res)], check=True, cwd=rc.parent)
        found = resources(res.read_bytes())

    versions = [body for (kind, _, _), body in found.items() if kind == RT_VERSION]
    check(len(versions) == 1, "expected one version record")
    key, fixed, children = version_block(versions[0])
    check(key == "VS_VERSION_INFO", key)
    (signature, _, file_ms, file_ls, product_ms, product_ls, _, flags, os_kind, file_type) = struct.unpack_from(
        "<10I", fixed)
    check(signature == 0xFEEF04BD, "no fixed version part")
    check((file_ms, file_ls) == (0x00010000, 0) and (product_ms, product_ls) == (0x00010000, 0),
          "fixed versions are not 1.0.0.0")
    check((flags, os_kind, file_type) == (0, 4, 1), f"flags {flags}, OS {os_kind}, type {file_type}")

    string_info = next(c for c in children if c[0] == "StringFileInfo")
    check([t[0] for t in string_info[2]] == ["040904B0"], "the string table is not block 040904B0")
    strings = {k: v.decode("utf-16-le").rstrip("\0") for k, v, _ in string_info[2][0][2]}
    for name, wanted in {"FileVersion": "1.00", "ProductVersion": "1.00", "InternalName": "Korvane",
                         "OriginalFilename": "Korvane.exe"}.items():
        check(strings.get(name) == wanted, f"{name} is {strings.get(name)!r}, not {wanted!r}")
    for name in ("CompanyName", "LegalCopyright", "LegalTrademarks", "ProductName"):
        check(strings.get(name), f"{name} is empty")
    check(strings["CompanyName"].endswith(".example"), "the publisher's address is not an example domain")
    translation = next(c for c in children if c[0] == "VarFileInfo")[2][0][1]
    check(struct.unpack("<HH", translation) == (0x0409, 1200), "translation is not 0409, 1200")

    groups = {name: body for (kind, name, _), body in found.items() if kind == RT_GROUP_ICON}
    check(list(groups) == [1], f"icon groups {list(groups)}, not [1]")
    _, kind, count = struct.unpack_from("<HHH", groups[1])
    width, height, _, _, _, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", groups[1], 6)
    check((kind, count, width, height, bits, size, icon_id) == (1, 1, 32, 32, 8, 2224, 30001),
          f"icon group 1 holds {(count, width, height, bits, size, icon_id)}")
    icons = {name: body for (kind, name, _), body in found.items() if kind == RT_ICON}
    check(list(icons) == [30001] and len(icons[30001]) == 2224, "icon 30001 is not one image of 2224 bytes")
    print("version record 1.0.0.0, block 040904B0, icon group 1 with icon 30001 (2224 bytes)")


if __name__ == "__main__":
    main()
