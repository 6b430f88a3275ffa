#!/usr/bin/env python3
"""Checks the installer package and its package-manager manifest, read back
with msitools: the files are the release zip's, byte for byte, installed per
user under %LOCALAPPDATA%\\Programs\\Tessory; a Start menu shortcut to the
program; the fixed UpgradeCode with a major upgrade; no custom action; the
version is the program's. The manifest has every field the package
manager requires and describes this very MSI.

    check_installer.py MSI ZIP VERSION
"""
import hashlib
import struct
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

import yaml

# Must never change: a package with another UpgradeCode would install
# beside the older version instead of replacing it.
UPGRADE_CODE = "{063BAE46-6DA4-41B6-82F4-F3E9DF5F990F}"
REQUIRED = {
    "version": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"],
    "installer": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion", "Scope",
                  "ProductCode", "InstallerType"],
    "defaultLocale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName", "License",
                      "ShortDescription", "ManifestType", "ManifestVersion"],
}


def fail(message):
    sys.exit(f"check_installer: {message}")


def msiinfo(*arguments):
    result = subprocess.run(["msiinfo", *map(str, arguments)], capture_output=True, text=True)
    result.returncode == 0 or fail(f"msiinfo {' '.join(map(str, arguments))}: {result.stderr.strip()}")
    return result.stdout


def table(msi, name):
    """The rows of table `name` as dicts (an absent table has none)."""
    if name not in msiinfo("tables", msi).split():
        return []
    lines = msiinfo("export", msi, name).splitlines()
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def file_version(data):
    """The FileVersion of a program's fixed version resource, as a.b.c.d."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    at >= 0 or fail("tessory.exe has no version resource")
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def check_tables(msi, version, release_files):
    custom = table(msi, "CustomAction")
    not custom or fail(f"the package holds custom actions {[row['Action'] for row in custom]}: none may run")
    suminfo = msiinfo("suminfo", msi)
    "Template: x64;1033" in suminfo or fail(f"the package is not for x64:\n{suminfo}")
    word_count = int(suminfo.partition("Source: ")[2].split()[0])
    word_count & 8 or fail("the summary does not say that no elevation is needed")

    props = {row["Property"]: row["Value"] for row in table(msi, "Property")}
    props.get("ProductName") == "Tessory" or fail(f"ProductName {props.get('ProductName')!r}, not 'Tessory'")
    props.get("ProductVersion") == version or fail(f"ProductVersion {props.get('ProductVersion')} is not {version}")
    program = file_version(release_files.get("tessory.exe", b""))
    program == version or fail(f"the package's version {version} is not tessory.exe's {program}")
    props.get("UpgradeCode") == UPGRADE_CODE or fail(f"UpgradeCode {props.get('UpgradeCode')} changed")
    "ALLUSERS" not in props or fail("ALLUSERS is set: the install would not be per-user")
    props.get("REBOOT") == "ReallySuppress" or fail("a silent install over the running program could restart Windows")

    directories = {row["Directory"]: row for row in table(msi, "Directory")}
    path, at = [], "INSTALLFOLDER"
    while at in directories and at != "LocalAppDataFolder":
        path.insert(0, directories[at]["DefaultDir"].split("|")[-1])
        at = directories[at]["Directory_Parent"]
    (at, path) == ("LocalAppDataFolder", ["Programs", "Tessory"]) or fail(f"installs into {at}\\{path}")

    files = {row["FileName"].split("|")[-1]: row for row in table(msi, "File")}
    set(files) == set(release_files) or fail(f"the package installs {sorted(files)}, the zip {sorted(release_files)}")
    components = {row["Component"]: row for row in table(msi, "Component")}
    all(components[row["Component_"]]["Directory_"] == "INSTALLFOLDER" for row in files.values()) or fail(
        "a file lies outside the install folder")

    shortcuts = table(msi, "Shortcut")
    [(s["Directory_"], s["Name"], s["Target"]) for s in shortcuts] == [
        ("ProgramMenuFolder", "Tessory", f"[#{files['tessory.exe']['File']}]")] or fail(f"shortcuts: {shortcuts}")

    upgrades = [row for row in table(msi, "Upgrade") if row["UpgradeCode"] == UPGRADE_CODE]
    any(row["VersionMax"] == version and not int(row["Attributes"]) & 2 and row["ActionProperty"] for row in upgrades) \
        or fail(f"no major upgrade of older versions: {upgrades}")
    sequence = {row["Action"] for row in table(msi, "InstallExecuteSequence")}
    "RemoveExistingProducts" in sequence or fail("the older version is never removed")

    with tempfile.TemporaryDirectory() as work:
        result = subprocess.run(["msiextract", "-C", work, str(msi)], capture_output=True, text=True)
        result.returncode == 0 or fail(f"msiextract: {result.stderr.strip()}")
        for name, data in release_files.items():
            found = Path(work, "Programs", "Tessory", name)
            found.is_file() and found.read_bytes() == data or fail(f"{name} in the package is not the zip's")
    return props


def check_manifest(msi, version, props):
    folder = msi.parent
    digest = hashlib.sha256(msi.read_bytes()).hexdigest()
    documents = {}
    for kind, name in (("version", "Morrowlin.Tessory.yaml"), ("installer", "Morrowlin.Tessory.installer.yaml"),
                       ("defaultLocale", "Morrowlin.Tessory.locale.en-US.yaml")):
        path = folder / name
        path.is_file() or fail(f"the manifest file {name} is missing beside {msi.name}")
        document = yaml.safe_load(path.read_text(encoding="utf-8"))
        missing = [field for field in REQUIRED[kind] if document.get(field) in (None, "", [])]
        missing and fail(f"{name} lacks {missing}")
        document["ManifestType"] == kind or fail(f"{name} is of type {document['ManifestType']}, not {kind}")
        document["PackageVersion"] == version or fail(f"{name} is for version {document['PackageVersion']}")
        documents[kind] = document
    installer = documents["installer"]
    installer["Scope"] == "user" or fail(f"the installer's scope is {installer['Scope']}")
    installer["ProductCode"] == props["ProductCode"] or fail("the manifest's ProductCode is not the package's")
    entries = installer.get("AppsAndFeaturesEntries") or fail("the manifest has no installed-programs entry")
    entries[0].get("UpgradeCode") == UPGRADE_CODE or fail("the manifest's UpgradeCode is not the package's")
    entries[0].get("DisplayName") == "Tessory" or fail(f"the entry is named {entries[0].get('DisplayName')!r}")
    for entry in installer["Installers"]:
        for field in ("Architecture", "InstallerUrl", "InstallerSha256"):
            entry.get(field) or fail(f"an installer of the manifest lacks {field}")
        entry["InstallerSha256"].lower() == digest or fail("the manifest's SHA-256 is not the package's")
        entry["InstallerUrl"].endswith("/" + msi.name) or fail(f"the installer's address {entry['InstallerUrl']}")
    ids = {document["PackageIdentifier"] for document in documents.values()}
    len(ids) == 1 or fail(f"the manifest's files name different packages: {sorted(ids)}")


def main():
    msi, release, version = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3]
    with zipfile.ZipFile(release) as archive:
        release_files = {entry.filename.partition("/")[2]: archive.read(entry) for entry in archive.infolist()}
    props = check_tables(msi, version, release_files)
    check_manifest(msi, version, props)
    print(f"{msi.name}: {len(release_files)} files, ProductCode {props['ProductCode']}, manifest complete")


if __name__ == "__main__":
    main()
