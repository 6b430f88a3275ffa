#!/usr/bin/env python3
"""Builds the per-user installer package: compiles tessory.wxs beside this
script with wixl, from the files of the given release zip.

    build_msi.py ZIP MSI VERSION

The files are those of the release zip's one folder, byte for byte.
VERSION (a.b.c or a.b.c.d) is the ProductVersion; the ProductCode follows
from it, so that a rebuilt package of the same version keeps its code.
MSI appears only once wixl has built it whole.
"""
import subprocess
import sys
import tempfile
import uuid
import zipfile
from pathlib import Path

SOURCE = Path(__file__).with_name("tessory.wxs")
# The package's UpgradeCode (in tessory.wxs), the namespace of its ProductCodes.
UPGRADE_CODE = uuid.UUID("063BAE46-6DA4-41B6-82F4-F3E9DF5F990F")
FILES = "files"  # the unpacked release, in the working folder wixl runs in


def fail(message):
    sys.exit(f"build_msi: {message}")


def check_version(version):
    fields = version.split(".")
    limits = (255, 255, 65535, 65535)
    if not 3 <= len(fields) <= 4 or not all(f.isdigit() and int(f) <= m for f, m in zip(fields, limits)):
        fail(f"'{version}' is no product version (a.b.c or a.b.c.d, a and b up to 255, c and d up to 65535)")


def unpack(release, folder):
    """Writes the files of the release zip's one folder into `folder`."""
    try:
        with zipfile.ZipFile(release) as archive:
            entries = [entry for entry in archive.infolist() if not entry.is_dir()]
            tops = {entry.filename.partition("/")[0] for entry in entries}
            len(tops) == 1 or fail(f"{release} holds {len(tops)} top folders, not one")
            folder.mkdir()
            for entry in entries:
                name = entry.filename.partition("/")[2]
                name and "/" not in name or fail(f"{release}: '{entry.filename}' is not a file of its one folder")
                (folder / name).write_bytes(archive.read(entry))
    except (OSError, zipfile.BadZipFile) as error:
        fail(f"cannot read {release}: {error}")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    release, out, version = Path(sys.argv[1]), Path(sys.argv[2]).absolute(), sys.argv[3]
    check_version(version)
    product_code = str(uuid.uuid5(UPGRADE_CODE, f"product\n{version}")).upper()

    out.parent.mkdir(parents=True, exist_ok=True)
    temporary = out.with_name(out.name + ".part")
    temporary.unlink(missing_ok=True)
    try:
        with tempfile.TemporaryDirectory() as work:
            unpack(release, Path(work, FILES))
            # wixl takes sources relative to where it runs.
            result = subprocess.run(["wixl", "--arch", "x64", "-D", f"Version={version}",
                                     "-D", f"ProductCode={product_code}", "-D", f"SourceDir={FILES}",
                                     "-o", str(temporary), str(SOURCE.absolute())],
                                    cwd=work, capture_output=True, text=True)
        # wixl only warns of what it ignores, such as an attribute it does not know.
        complaint = (result.stderr.strip() or result.stdout.strip())
        if result.returncode != 0 or complaint:
            fail(f"wixl failed on {SOURCE.name}: {complaint or f'exit code {result.returncode}'}")
        temporary.is_file() or fail("wixl wrote no package")
        temporary.replace(out)
    finally:
        temporary.unlink(missing_ok=True)  # nothing half-built stays behind


if __name__ == "__main__":
    main()
