#!/usr/bin/env python3
"""Checks the release zip: its checksum file, its one folder and the files
in it, the version it carries, and that THIRD-PARTY-NOTICES.txt has a
notice for every library the linker really puts into tessory.exe.

    check_release.py ZIP BUILD_DIR VERSION

The libraries are read from the link command of tessory.exe (ninja), run
again with -### so that the compiler driver names the runtime libraries
it adds itself. Import libraries of Windows' own DLLs need no notice, nor
do the program's own libraries; anything else without a notice fails.
"""
import hashlib
import re
import shlex
import subprocess
import sys
import zipfile
from pathlib import Path

WINDOWS_DLLS = {"advapi32", "comctl32", "comdlg32", "gdi32", "kernel32", "ole32", "oleaut32", "shell32", "user32",
                "version", "winmm", "winspool"}
# Start-up objects the driver links, by the library they come with.
STARTUP_OBJECTS = {r"crt2\w*\.o": "mingw32", r"dllcrt2\w*\.o": "mingw32", r"crtbegin\.o": "gcc", r"crtend\.o": "gcc"}


def fail(message):
    sys.exit(f"check_release: {message}")


def linked_libraries(build):
    """The library names (as -lNAME names them) that the linker is given."""
    lines = subprocess.run(["ninja", "-C", str(build), "-t", "commands", "app/tessory.exe"], capture_output=True,
                           text=True, check=True).stdout.splitlines()
    command = lines[-1].removeprefix(": && ").removesuffix(" && :")
    driver = subprocess.run(shlex.split(command) + ["-###"], cwd=build, capture_output=True, text=True)
    link = next((line for line in driver.stderr.splitlines() if "collect2" in line), None) or fail(
        f"no link line from the driver: {driver.stderr[-2000:]}")
    names, words = set(), shlex.split(link)
    for index, word in enumerate(words):
        if index > 0 and words[index - 1] == "--out-implib":
            continue  # written by the link, not read
        if word.startswith("-l"):
            names.add(word[2:])
        elif word.endswith(".a"):
            names.add(re.sub(r"^lib|\.a$", "", Path(word).name))
        elif word.endswith(".o"):
            names.update(lib for pattern, lib in STARTUP_OBJECTS.items() if re.fullmatch(pattern, Path(word).name))
    return {name for name in names if not name.startswith("tessory") and name not in WINDOWS_DLLS}


def main():
    zip_path, build, version = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3]
    digest = hashlib.sha256(zip_path.read_bytes()).hexdigest()
    checksum = zip_path.with_name(zip_path.name + ".sha256").read_text()
    checksum == f"{digest}  {zip_path.name}\n" or fail(f"checksum file says {checksum!r}, the zip is {digest}")

    folder = f"tessory-{version}/"
    expected = {folder + name for name in
                ("tessory.exe", "tessory.chm", "README.txt", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt")}
    with zipfile.ZipFile(zip_path) as archive:
        names = set(archive.namelist())
        names == expected or fail(f"the zip holds {sorted(names)}, expected {sorted(expected)}")
        read = lambda name: archive.read(folder + name)  # noqa: E731
        read("tessory.exe") == (build / "app" / "tessory.exe").read_bytes() or fail("tessory.exe is not the build's")
        version.encode("utf-16-le") in read("tessory.exe") or fail(f"tessory.exe's version resource lacks {version}")
        readme = read("README.txt").decode("utf-8")
        version in readme or fail(f"README.txt does not name version {version}")
        "HKEY_CURRENT_USER\\Software\\Morrowlin, Inc.\\Tessory" in readme or fail("README.txt misses the settings key")
        "--capture WHAT" in readme and "start \"\" /wait" in readme or fail("README.txt misses how a script waits")
        "Morrowlin, Inc." in read("LICENSE.txt").decode("utf-8") or fail("LICENSE.txt is not the project's")
        notices = read("THIRD-PARTY-NOTICES.txt").decode("utf-8")

    covered = set()
    for line in re.findall(r"^Linked as: (.*)$", notices, re.M):
        covered.update(word.removeprefix("-l") for word in line.split())
    missing = sorted(linked_libraries(build) - covered)
    missing and fail(f"libraries linked into tessory.exe without a notice: {missing}")
    # The IJG licence itself, whose clause asks for the sentence.
    ijg = 'must state that "this software is based in part on the work of the Independent JPEG Group"'
    ijg in " ".join(notices.split()) or fail("the IJG licence is missing")
    print(f"{zip_path.name}: {len(expected)} files, notices cover {sorted(covered & linked_libraries(build))}")


if __name__ == "__main__":
    main()
