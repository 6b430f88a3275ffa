#!/usr/bin/env python3
"""Packs the release zip: one folder holding the given files, and beside
the zip its checksum file (the line sha256sum prints).

    package.py ZIP FOLDER FILE[=NAME]...

FILE is stored in FOLDER under its own name, or under NAME. Text files
(.txt) are stored with Windows line ends. Entries carry a fixed time, so
the same inputs give the same zip.
"""
import hashlib
import sys
import zipfile
from pathlib import Path

FIXED_TIME = (2026, 1, 1, 0, 0, 0)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    out, folder = Path(sys.argv[1]), sys.argv[2]
    out.parent.mkdir(parents=True, exist_ok=True)
    temporary = out.with_name(out.name + ".part")
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for argument in sys.argv[3:]:
            path, _, name = argument.partition("=")
            path = Path(path)
            data = path.read_bytes()
            if path.suffix == ".txt" or name.endswith(".txt"):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            entry = zipfile.ZipInfo(f"{folder}/{name or path.name}", FIXED_TIME)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            archive.writestr(entry, data)
    digest = hashlib.sha256(temporary.read_bytes()).hexdigest()
    temporary.replace(out)
    checksum = out.with_name(out.name + ".sha256")
    checksum.write_text(f"{digest}  {out.name}\n")


if __name__ == "__main__":
    main()
