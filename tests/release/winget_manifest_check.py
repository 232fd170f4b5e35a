#!/usr/bin/python3
"""A release's Windows Package Manager manifest, as the community repository's validation and a
user's winget would take it: each file valid under the published 1.10.0 schema of its kind, and
true to the release beside it: one version throughout, an installer for each MSI and the setup
program, each one's hash its line in SHA256SUMS, and each MSI's codes those that msitools reads.

Usage: winget_manifest_check.py DIST
       winget_manifest_check.py --faults INSTALLER...
           a release folder of these installers and their SHA256SUMS, its manifest written by
           scripts/winget-manifest.py, must pass, and each fault planted in a copy must be caught
"""
import copy
import hashlib
import json
import pathlib
import shutil
import subprocess
import sys
import tempfile

import jsonschema
import yaml

SCHEMAS = pathlib.Path(__file__).resolve().parent / "winget-schemas"
PACKAGE = "Korvane.Korvane"
KINDS = {"version": "", "installer": ".installer", "defaultLocale": ".locale.en-US", "locale": ".locale.bg-BG"}


class Fault(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Fault(message)


def manifests(dist):
    folders = list((dist / "manifests").glob("k/Korvane/Korvane/*"))
    expect(len(folders) == 1, f"expected one version folder under manifests/, found {folders}")
    folder = folders[0]
    names = sorted(p.name for p in folder.iterdir())
    wanted = sorted(f"{PACKAGE}{suffix}.yaml" for suffix in KINDS.values())
    expect(names == wanted, f"{folder}: files {names}, not {wanted}")
    return folder.name, {kind: yaml.safe_load((folder / f"{PACKAGE}{suffix}.yaml").read_text(encoding="utf-8"))
                         for kind, suffix in KINDS.items()}


def msi_properties(msi):
    table = subprocess.run(["msiinfo", "export", str(msi), "Property"], check=True, capture_output=True,
                           text=True).stdout
    return dict(line.split("\t", 1) for line in table.splitlines()[3:] if "\t" in line)


def check(dist, version, documents):
    for kind, document in documents.items():
        schema = json.loads((SCHEMAS / f"manifest.{kind}.1.10.0.json").read_text(encoding="utf-8"))
        errors = sorted(jsonschema.Draft7Validator(schema).iter_errors(document), key=str)
        expect(not errors, f"{kind}: not valid under the 1.10.0 schema: {errors[0].message if errors else ''}")
        expect(document["ManifestType"] == kind, f"{kind}: ManifestType is {document['ManifestType']}")
        expect(document["PackageIdentifier"] == PACKAGE and document["PackageVersion"] == version,
               f"{kind}: {document['PackageIdentifier']} {document['PackageVersion']}, not {PACKAGE} {version}")
    sums = {}
    for line in (dist / "SHA256SUMS").read_text(encoding="utf-8").splitlines():
        digest, name = line.split(maxsplit=1)
        sums[name.lstrip("*")] = digest
    installers = {entry["InstallerUrl"].rsplit("/", 1)[1]: entry for entry in documents["installer"]["Installers"]}
    released = sorted(p.name for p in dist.iterdir() if p.suffix == ".msi" or p.name.endswith("-setup.exe"))
    expect(sorted(installers) == released, f"the manifest's installers {sorted(installers)}, the release's {released}")
    for name, entry in installers.items():
        expect(f"/{version}/" in entry["InstallerUrl"] and f"-{version}-" in name,
               f"{name}: {entry['InstallerUrl']} is not version {version}'s")
        expect(entry["InstallerSha256"] == sums.get(name, "").upper(),
               f"{name}: InstallerSha256 {entry['InstallerSha256']} is not its line in SHA256SUMS")
        arp, = entry["AppsAndFeaturesEntries"]
        if name.endswith(".msi"):
            properties = msi_properties(dist / name)
            expect(entry["ProductCode"] == properties["ProductCode"] == arp["ProductCode"],
                   f"{name}: ProductCode {entry['ProductCode']}, the MSI's is {properties['ProductCode']}")
            expect(arp["UpgradeCode"] == properties["UpgradeCode"],
                   f"{name}: UpgradeCode {arp['UpgradeCode']}, the MSI's is {properties['UpgradeCode']}")
            expect(arp["DisplayVersion"] == properties["ProductVersion"] == version,
                   f"{name}: DisplayVersion {arp['DisplayVersion']}, the MSI's is {properties['ProductVersion']}")
        else:
            expect(entry["InstallerType"] == "nullsoft" and entry["InstallerSwitches"]["Silent"] == "/S",
                   f"{name}: not a silent nullsoft installer")


# A fault planted in a copy of the manifest | what the check must say
FAULTS = [
    (lambda d: d["installer"]["Installers"][0].update(InstallerSha256="0" * 64), "is not its line in SHA256SUMS"),
    (lambda d: d["installer"]["Installers"][0].update(ProductCode="{00000000-0000-0000-0000-000000000000}"),
     "ProductCode"),
    (lambda d: d["installer"]["Installers"][0]["AppsAndFeaturesEntries"][0].update(UpgradeCode="{0}"), "UpgradeCode"),
    (lambda d: d["installer"]["Installers"].pop(), "the release's"),
    (lambda d: d["locale"].update(PackageVersion="0.9.0"), "not Korvane.Korvane"),
    (lambda d: d["installer"]["Installers"][0].update(InstallerUrl="ftp://www.korvane.example/x.msi"),
     "not valid under the 1.10.0 schema"),
    (lambda d: d["defaultLocale"].pop("License"), "not valid under the 1.10.0 schema"),
]


def fake_release(installers, dist):
    dist.mkdir()
    for installer in installers:
        shutil.copy(installer, dist)
    (dist / "SHA256SUMS").write_text("".join(f"{hashlib.sha256(p.read_bytes()).hexdigest()}  {p.name}\n"
                                             for p in sorted(dist.iterdir())))
    generator = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "winget-manifest.py"
    subprocess.run([sys.executable, str(generator), str(dist)], check=True, stdout=subprocess.DEVNULL)


def main():
    faults = sys.argv[1] == "--faults"
    if faults:
        scratch = pathlib.Path(tempfile.mkdtemp(prefix="korvane-winget-"))
        dist = scratch / "dist"
        fake_release([pathlib.Path(a) for a in sys.argv[2:]], dist)
    else:
        dist = pathlib.Path(sys.argv[1]).resolve()
    try:
        version, documents = manifests(dist)
        check(dist, version, documents)
    except Fault as fault:
        sys.exit(f"winget manifest: {fault}")
    if faults:
        for plant, message in FAULTS:
            planted = copy.deepcopy(documents)
            plant(planted)
            try:
                check(dist, version, planted)
            except Fault as fault:
                if message not in str(fault):
                    sys.exit(f"winget manifest: a planted fault was caught for another reason: {fault}")
                continue
            sys.exit(f"winget manifest: the check passed a manifest with a fault it should catch ({message})")
    if faults:
        shutil.rmtree(scratch)
    print(f"winget manifest: {PACKAGE} {version} is valid and matches the release in {dist}"
          + (f"; {len(FAULTS)} planted faults caught" if faults else ""))


if __name__ == "__main__":
    main()
