#!/usr/bin/env python3
"""Writes THIRD-PARTY-NOTICES.txt: the licence texts of everything linked
into the static tessory.exe, taken from the sources the build uses.

    notices.py DEPS_SRC OUT

DEPS_SRC is the folder where tools/setup.sh unpacks Debian's source
packages of the cross-built libraries (zlib, libpng1.6, libjpeg-turbo,
libdeflate).
The mingw-w64 runtime and the GCC runtime come with the cross compiler's
Debian packages, whose copyright files carry their licences; the GPL
itself is Debian's copy in /usr/share/common-licenses.

Each section's heading names the libraries it covers as the linker names
them ("Linked as: -lpng16"), so that a test can match them against the
program's real link line.
"""
import re
import subprocess
import sys
from pathlib import Path

RULE = "=" * 78
MINGW_COPYRIGHT = Path("/usr/share/doc/mingw-w64-x86-64-dev/copyright")
GCC_COPYRIGHT = Path("/usr/share/doc/gcc-mingw-w64-base/copyright")
GPL3 = Path("/usr/share/common-licenses/GPL-3")


def read(path):
    text = Path(path).read_text(encoding="utf-8")
    return text.rstrip() + "\n"


def between(text, first, stop, what):
    """The lines of `text` from the line `first` up to (not including) the
    line `stop`; whole lines, so that a table of contents naming the same
    heading does not count."""
    lines = [line.rstrip() for line in text.splitlines()]
    try:
        start = next(i for i, line in enumerate(lines) if line == first)
        end = next(i for i in range(start + 1, len(lines)) if lines[i] == stop)
    except StopIteration:
        sys.exit(f"notices: {what}: the text between '{first}' and '{stop}' is missing")
    return "\n".join(lines[start:end]).rstrip() + "\n"


def leading_comment(path, marker):
    """The comment block at the top of a source file, without its markers."""
    lines = []
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if not line.startswith(marker):
            break
        lines.append(line[len(marker):].removeprefix(" "))
    return "\n".join(lines).strip() + "\n"


def source_version(deps_src, package):
    """The Debian version of the unpacked source package."""
    for dsc in sorted((deps_src / package).glob("*.dsc")):
        match = re.search(r"^Version: (\S+)", dsc.read_text(encoding="utf-8"), re.M)
        if match:
            return match.group(1)
    sys.exit(f"notices: no unpacked source package {package} under {deps_src}")


def package_version(package):
    """The version of an installed Debian package."""
    result = subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], capture_output=True, text=True)
    if result.returncode != 0 or not result.stdout:
        sys.exit(f"notices: the Debian package {package} is not installed")
    return result.stdout


def sections(deps_src):
    png = deps_src / "libpng1.6" / "tree"
    jpeg = deps_src / "libjpeg-turbo" / "tree"
    zlib = deps_src / "zlib" / "tree"
    deflate = deps_src / "libdeflate" / "tree"
    gcc = read(GCC_COPYRIGHT)
    return [
        ("libpng", ["png16", "png"], f"Debian source package libpng1.6 {source_version(deps_src, 'libpng1.6')}",
         [read(png / "LICENSE")]),
        ("libjpeg-turbo", ["jpeg", "turbojpeg"],
         f"Debian source package libjpeg-turbo {source_version(deps_src, 'libjpeg-turbo')}",
         [read(jpeg / "LICENSE.md"),
          "The IJG (Independent JPEG Group) License, from README.ijg\n"
          "---------------------------------------------------------\n\n"
          + between(read(jpeg / "README.ijg"), "LEGAL ISSUES", "REFERENCES", "README.ijg"),
          "The zlib License of the SIMD extensions, from simd/nasm/jsimdext.inc\n"
          "-------------------------------------------------------------------\n\n"
          + leading_comment(jpeg / "simd" / "nasm" / "jsimdext.inc", ";")]),
        ("zlib", ["z", "zlib", "zlibstatic"], f"Debian source package zlib {source_version(deps_src, 'zlib')}",
         [read(zlib / "LICENSE")]),
        ("libdeflate", ["deflate", "deflatestatic"],
         f"Debian source package libdeflate {source_version(deps_src, 'libdeflate')}", [read(deflate / "COPYING")]),
        ("mingw-w64 runtime and winpthreads",
         ["mingw32", "mingwex", "moldname", "msvcrt", "ucrt", "ucrtbase", "uuid", "pthread", "winpthread"],
         f"Debian package mingw-w64-x86-64-dev {package_version('mingw-w64-x86-64-dev')}, its copyright file", [read(MINGW_COPYRIGHT)]),
        ("GCC runtime (libgcc, libstdc++) with the GCC Runtime Library Exception",
         ["gcc", "gcc_eh", "stdc++", "supc++", "atomic", "ssp"],
         f"Debian package gcc-mingw-w64-base {package_version('gcc-mingw-w64-base')}, its copyright file",
         [between(gcc, "The following runtime libraries are licensed under the terms of the",
                  "The libbacktrace library is licensed under the following terms:", GCC_COPYRIGHT),
          between(gcc, "GCC RUNTIME LIBRARY EXCEPTION", "libquadmath/*.[hc]:", GCC_COPYRIGHT),
          "The GNU General Public License, version 3\n"
          "-----------------------------------------\n\n" + read(GPL3)]),
    ]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    deps_src, out = Path(sys.argv[1]), Path(sys.argv[2])
    parts = ["Third-party notices for Tessory\n\n"
             "tessory.exe is one static program. Besides its own code it contains the\n"
             "libraries below, each under its own licence, given here in full.\n"
             "This software is based in part on the work of the Independent JPEG Group.\n"]
    for title, links, origin, texts in sections(deps_src):
        parts.append(f"\n{RULE}\n{title}\nLinked as: {' '.join('-l' + name for name in links)}\n"
                     f"Text from: {origin}\n{RULE}\n\n" + "\n".join(texts))
    text = "".join(parts).replace("\r\n", "\n").replace("\n", "\r\n")
    temporary = out.with_name(out.name + ".part")
    temporary.write_bytes(text.encode("utf-8"))
    temporary.replace(out)


if __name__ == "__main__":
    main()
