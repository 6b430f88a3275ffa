#!/usr/bin/env python3
"""tessory-encode refuses bad input clearly and never harms an existing OUT.

    encode_failures_test.py TESSORY_ENCODE
"""
import subprocess
import sys
import tempfile
from pathlib import Path

ENCODER = sys.argv[1]


def encode(kind, source, target):
    return subprocess.run([ENCODER, "--type", kind, str(source), str(target)], capture_output=True, text=True)


def main():
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        folder = Path(folder)
        out = folder / "out.jpg"
        out.write_bytes(b"the old picture")
        # JPEG refuses widths above 65500: the error comes after OUT was
        # opened, and OUT must keep its old bytes.
        wide = folder / "wide.ppm"
        wide.write_bytes(b"P6 65501 1 255\n" + bytes(65501 * 3))
        cases = [
            (wide, "JPEG error #41"),
            (folder, "not a regular file"),
            ("/dev/zero", "not a regular file"),
        ]
        for source, message in cases:
            result = encode("jpg", source, out)
            if result.returncode != 1 or message not in result.stderr:
                failures.append(f"{source}: exit {result.returncode}, {result.stderr.strip()!r}")
            if out.read_bytes() != b"the old picture":
                failures.append(f"{source}: OUT was changed")
        leftovers = sorted(p.name for p in folder.iterdir() if p.name not in ("out.jpg", "wide.ppm"))
        if leftovers:
            failures.append(f"files left behind: {leftovers}")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
