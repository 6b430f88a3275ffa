#!/usr/bin/env python3
"""Writes the Windows package manager's manifest of the installer package
into FOLDER: the version, installer and default-locale files of the
community repository's three-file layout. Everything about the package
(version, ProductCode, UpgradeCode, SHA-256) is read from the built MSI.

    manifest.py MSI LICENSE URL FOLDER

LICENSE is the project's licence file (its first line names the licence,
its copyright line the holder); URL is where the MSI is published, the
folder the installer's address is formed from.
"""
import hashlib
import subprocess
import sys
from pathlib import Path

IDENTIFIER = "Morrowlin.Tessory"
LOCALE = "en-US"
MANIFEST_VERSION = "1.6.0"
SHORT_DESCRIPTION = "Captures the image of one window, frame and title bar included."
DESCRIPTION = ("Drag the target icon onto any window and let go: Tessory grabs that window and delivers its image to "
               "the clipboard, to a file you name, or to an auto-named file in a folder, as BMP, JPEG, GIF or PNG.")


def fail(message):
    sys.exit(f"manifest: {message}")


def properties(msi):
    """The MSI's Property table as a dict."""
    result = subprocess.run(["msiinfo", "export", str(msi), "Property"], capture_output=True, text=True)
    if result.returncode != 0:
        fail(f"cannot read the properties of {msi}: {result.stderr.strip()}")
    rows = [line.split("\t", 1) for line in result.stdout.splitlines()[3:] if line]
    return {row[0]: row[1] if len(row) > 1 else "" for row in rows}


def quoted(value):
    """A YAML scalar that stays a string whatever it holds."""
    return "'" + str(value).replace("'", "''") + "'"


def document(kind, version, fields):
    lines = [f"# {kind} manifest of Tessory {version}, written by the release build",
             f"PackageIdentifier: {IDENTIFIER}", f"PackageVersion: {quoted(version)}"]
    lines += fields
    lines += [f"ManifestType: {kind}", f"ManifestVersion: {MANIFEST_VERSION}"]
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    msi, licence, url, folder = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3].rstrip("/"), Path(sys.argv[4])
    found = properties(msi)
    missing = [name for name in ("ProductName", "ProductVersion", "ProductCode", "UpgradeCode", "Manufacturer")
               if not found.get(name)]
    missing and fail(f"{msi} lacks the properties {missing}")
    version, publisher = found["ProductVersion"], found["Manufacturer"]
    licence_lines = licence.read_text(encoding="utf-8").splitlines()
    licence_name = licence_lines[0].removesuffix(" License").strip() if licence_lines else ""
    copyright_line = next((line.strip() for line in licence_lines if line.startswith("Copyright")), "")
    licence_name and copyright_line or fail(f"{licence} names no licence or no copyright holder")
    digest = hashlib.sha256(msi.read_bytes()).hexdigest().upper()

    files = {
        f"{IDENTIFIER}.yaml": document("version", version, [f"DefaultLocale: {LOCALE}"]),
        f"{IDENTIFIER}.installer.yaml": document("installer", version, [
            f"InstallerLocale: {LOCALE}",
            "InstallerType: msi",
            "Scope: user",
            "InstallModes:", "- interactive", "- silent", "- silentWithProgress",
            "UpgradeBehavior: install",
            f"ProductCode: {quoted(found['ProductCode'])}",
            "AppsAndFeaturesEntries:",
            f"- DisplayName: {quoted(found['ProductName'])}",
            f"  Publisher: {quoted(publisher)}",
            f"  DisplayVersion: {quoted(version)}",
            f"  ProductCode: {quoted(found['ProductCode'])}",
            f"  UpgradeCode: {quoted(found['UpgradeCode'])}",
            "Installers:",
            "- Architecture: x64",
            f"  InstallerUrl: {quoted(url + '/' + msi.name)}",
            f"  InstallerSha256: {digest}",
        ]),
        f"{IDENTIFIER}.locale.{LOCALE}.yaml": document("defaultLocale", version, [
            f"PackageLocale: {LOCALE}",
            f"Publisher: {quoted(publisher)}",
            f"PackageName: {quoted(found['ProductName'])}",
            f"License: {quoted(licence_name)}",
            f"Copyright: {quoted(copyright_line)}",
            f"ShortDescription: {quoted(SHORT_DESCRIPTION)}",
            f"Description: {quoted(DESCRIPTION)}",
            "Moniker: tessory",
            "Tags:", "- screenshot", "- screen-capture", "- window",
        ]),
    }
    folder.mkdir(parents=True, exist_ok=True)
    for name, text in files.items():
        temporary = folder / (name + ".part")
        temporary.write_text(text, encoding="utf-8")
        temporary.replace(folder / name)


if __name__ == "__main__":
    main()
