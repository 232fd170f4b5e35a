#!/usr/bin/python3
"""Writes the Windows Package Manager manifest of a release, as the community repository takes it:
DIST/manifests/k/Korvane/Korvane/<version>/ with the version, installer, en-US and bg-BG files.

In: the release folder (its MSIs, its setup program and SHA256SUMS, which the hashes are taken
from), the product codes read from each MSI by msitools, the setup program's version record,
and the texts of the program's AppStream record. Nothing is typed in twice: a manifest that
disagrees with the release is a fault of the release.

Usage: winget-manifest.py DIST [--url-base https://<publisher address>/releases]
"""
import argparse
import pathlib
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

import pefile
import yaml

MANIFEST_VERSION = "1.10.0"
PACKAGE = "Korvane.Korvane"
SOURCE = pathlib.Path(__file__).resolve().parent.parent
XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"


def cmake_setting(name):
    match = re.search(rf'set\({name} "([^"]*)"\)', (SOURCE / "CMakeLists.txt").read_text(encoding="utf-8"))
    if not match:
        sys.exit(f"winget-manifest: no {name} in CMakeLists.txt")
    return match.group(1)


def release_sums(dist):
    """SHA256SUMS as {file name: the uppercase hex that winget wants}."""
    sums = {}
    for line in (dist / "SHA256SUMS").read_text(encoding="utf-8").splitlines():
        digest, name = line.split(maxsplit=1)
        sums[name.lstrip("*")] = digest.upper()
    return sums


def msi_properties(msi):
    table = subprocess.run(["msiinfo", "export", str(msi), "Property"], check=True, capture_output=True,
                           text=True).stdout
    # The first three lines are the table's column names, types and name.
    return dict(line.split("\t", 1) for line in table.splitlines()[3:] if "\t" in line)


def version_record(exe):
    """The setup program's StringFileInfo: ProductVersion, CompanyName and the rest."""
    image = pefile.PE(str(exe), fast_load=True)
    image.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    record = {}
    for info in getattr(image, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                record.update({k.decode(): v.decode() for k, v in table.entries.items()})
    return record


def appstream_texts():
    """Name, summary and description of the AppStream record, per language ("" for English)."""
    component = ElementTree.parse(SOURCE / "assets" / "korvane.metainfo.xml.in").getroot()
    texts = {}
    for field in ("name", "summary"):
        for element in component.findall(field):
            texts.setdefault(element.get(XML_LANG, ""), {})[field] = element.text.strip()
    for paragraph in component.findall("description/p"):
        texts[paragraph.get(XML_LANG, "")]["description"] = " ".join(paragraph.text.split())
    license_text = component.findtext("project_license")
    categories = [c.text.lower() for c in component.findall("categories/category")]
    return texts, license_text, categories


def installers(dist, version, sums, url_base):
    entries = []
    for msi in sorted(dist.glob(f"Korvane-{version}-*.msi")):
        arch = msi.stem.rsplit("-", 1)[1]
        properties = msi_properties(msi)
        if properties.get("ProductVersion") != version:
            sys.exit(f"winget-manifest: {msi.name} is version {properties.get('ProductVersion')}, not {version}")
        entries.append({
            "Architecture": arch,
            "InstallerType": "wix",
            "Scope": "machine",
            "InstallerUrl": f"{url_base}/{version}/{msi.name}",
            "InstallerSha256": sums[msi.name],
            "ProductCode": properties["ProductCode"],
            "AppsAndFeaturesEntries": [{
                "DisplayName": properties["ProductName"],
                "Publisher": properties["Manufacturer"],
                "DisplayVersion": properties["ProductVersion"],
                "ProductCode": properties["ProductCode"],
                "UpgradeCode": properties["UpgradeCode"],
            }],
        })
    # Each setup program installs its architecture's Korvane.exe, under the uninstall key "Korvane"
    # (the x64 one keeps the name it had before there was an x86 one).
    for arch, setup in (("x64", dist / f"Korvane-{version}-setup.exe"), ("x86", dist / f"Korvane-{version}-x86-setup.exe")):
        if not setup.exists():
            continue
        record = version_record(setup)
        entries.append({
            "Architecture": arch,
            "InstallerType": "nullsoft",
            "Scope": "machine",
            "InstallerUrl": f"{url_base}/{version}/{setup.name}",
            "InstallerSha256": sums[setup.name],
            "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S"},
            "ProductCode": "Korvane",
            "AppsAndFeaturesEntries": [{
                "DisplayName": "Korvane",
                "Publisher": record["CompanyName"],
                "DisplayVersion": record["ProductVersion"],
                "ProductCode": "Korvane",
            }],
        })
    if not entries:
        sys.exit(f"winget-manifest: no installer of version {version} in {dist}")
    return entries


def write(path, kind, document):
    header = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{MANIFEST_VERSION}.schema.json\n\n"
    path.write_text(header + yaml.safe_dump(document, sort_keys=False, allow_unicode=True, width=1000),
                    encoding="utf-8")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dist", type=pathlib.Path)
    parser.add_argument("--url-base", default=f"https://{cmake_setting('KORVANE_PUBLISHER_ADDRESS')}/releases")
    args = parser.parse_args()
    dist = args.dist.resolve()
    version = re.search(r"project\(Korvane VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text()).group(1)
    sums = release_sums(dist)
    texts, license_text, tags = appstream_texts()
    common = {"PackageIdentifier": PACKAGE, "PackageVersion": version}
    ending = {"ManifestVersion": MANIFEST_VERSION}
    home = f"https://{cmake_setting('KORVANE_PUBLISHER_ADDRESS')}/"
    folder = dist / "manifests" / PACKAGE[0].lower() / PACKAGE.replace(".", "/") / version
    folder.mkdir(parents=True, exist_ok=True)

    write(folder / f"{PACKAGE}.yaml", "version",
          {**common, "DefaultLocale": "en-US", "ManifestType": "version", **ending})
    write(folder / f"{PACKAGE}.installer.yaml", "installer",
          {**common, "MinimumOSVersion": "6.1.7601.0", "Installers": installers(dist, version, sums, args.url_base),
           "ManifestType": "installer", **ending})
    english = texts[""]
    write(folder / f"{PACKAGE}.locale.en-US.yaml", "defaultLocale",
          {**common, "PackageLocale": "en-US", "Publisher": cmake_setting("KORVANE_PUBLISHER_ADDRESS"),
           "PublisherUrl": home, "PackageName": english["name"], "PackageUrl": home, "License": license_text,
           "ShortDescription": english["summary"], "Description": english["description"], "Moniker": "korvane",
           "Tags": tags, "ManifestType": "defaultLocale", **ending})
    bulgarian = texts["bg"]
    write(folder / f"{PACKAGE}.locale.bg-BG.yaml", "locale",
          {**common, "PackageLocale": "bg-BG", "PackageName": bulgarian["name"],
           "ShortDescription": bulgarian["summary"], "Description": bulgarian["description"],
           "ManifestType": "locale", **ending})
    print(f"winget-manifest: {folder.relative_to(dist)}")


if __name__ == "__main__":
    main()
