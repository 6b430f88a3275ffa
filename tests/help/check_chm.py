#!/usr/bin/env python3
"""Checks the compiled help file: every topic is inside, and the context
numbers 1000, 1002 and 1003 map to the main-window, options and more-options topics.

    check_chm.py TESSORY_CHM

The file is unpacked with extract_chmLib (libchm-bin); the context map is
read from its #IVB (pairs of context number and offset into #STRINGS).
"""
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

TOPICS = ["main_window.htm", "options.htm", "more_options.htm", "file_formats.htm", "file_names.htm", "command_line.htm", "settings.htm", "licences.htm"]
CONTEXTS = {1000: "/main_window.htm", 1002: "/options.htm", 1003: "/more_options.htm"}


def context_map(folder):
    ivb = (folder / "#IVB").read_bytes()
    strings = (folder / "#STRINGS").read_bytes()
    (size,) = struct.unpack_from("<I", ivb)
    found = {}
    for offset in range(4, 4 + size, 8):
        number, at = struct.unpack_from("<II", ivb, offset)
        found[number] = strings[at:strings.index(b"\0", at)].decode()
    return found


def main():
    chm = Path(sys.argv[1])
    with tempfile.TemporaryDirectory() as work:
        folder = Path(work)
        subprocess.run(["extract_chmLib", str(chm), work], check=True, capture_output=True)
        missing = [topic for topic in TOPICS if not (folder / topic).is_file()]
        assert not missing, f"topics missing from {chm}: {missing}"
        found = context_map(folder)
        assert found == CONTEXTS, f"context map {found}, expected {CONTEXTS}"
        for topic in found.values():
            assert (folder / topic.lstrip("/")).is_file(), f"context topic {topic} is not in the file"
        toc = (folder / "toc.hhc").read_text()
        assert all(topic in toc for topic in TOPICS), "a topic is missing from the contents"
    print(f"{chm}: {len(TOPICS)} topics, contexts {sorted(found)}")


if __name__ == "__main__":
    main()
