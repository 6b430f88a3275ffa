#!/usr/bin/python3
"""Times PNG writing as whole processes, in one run on the same images:
tessory-encode --type png against pnmtopng (libpng's defaults: adaptive
filter, zlib level 6), and checks what it wrote.

    compare_png.py [ENCODER [RUNS [EARLIER_ENCODER]]]

ENCODER defaults to build/native/tools/tessory-encode. The tools take turns
(one run of each, then the next round, which starts with the next tool), and each figure is the median of
RUNS (default 11) wall-clock times in milliseconds, the CPU time (user +
system) in brackets. With EARLIER_ENCODER an earlier build takes its turns
too. Every file of ours is checked: the chunks are the signature, IHDR
(8-bit RGB), one tEXt "Software" with empty text, IDAT and IEND, and the
pixels decode (with Pillow) to the input's exactly. The machine's load is
printed first and last: figures from a busy machine compare only with
figures of the same run. The corpus folder is $TESSORY_CORPUS, else
../shared/corpus.
"""
import os
import resource
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zlib
from pathlib import Path

from PIL import Image

ROOT = Path(__file__).resolve().parents[2]
encoder = sys.argv[1] if len(sys.argv) > 1 else str(ROOT / "build" / "native" / "tools" / "tessory-encode")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
earlier = sys.argv[3] if len(sys.argv) > 3 else ""
corpus = os.environ.get("TESSORY_CORPUS", str(ROOT.parent / "shared" / "corpus"))
out = tempfile.mkdtemp()
tools = {
    "tessory-encode": lambda src, dst: [encoder, "--type", "png", src, dst],
    "pnmtopng": lambda src, dst: ["pnmtopng", src],
}
if earlier:
    tools["earlier build"] = lambda src, dst: [earlier, "--type", "png", src, dst]
ours_tools = [t for t in tools if t != "pnmtopng"]


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(command, dst):
    """Wall-clock and CPU seconds of one run, writing a new file."""
    if os.path.exists(dst):
        os.remove(dst)
    # pnmtopng writes to its standard output, tessory-encode to a named file.
    with open(dst if command[0] == "pnmtopng" else os.devnull, "wb") as output:
        cpu = children_cpu()
        start = time.perf_counter()
        result = subprocess.run(command, stdout=output, stderr=subprocess.DEVNULL)
        wall = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit(f"{command[0]} failed")
    return wall, children_cpu() - cpu


def check(path, src):
    """The chunk types in order, checked for CRCs, and the pixels against the input's."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: no PNG signature")
    at, types = 8, []
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 4:at + 8 + length]
        if struct.unpack(">I", data[at + 8 + length:at + 12 + length])[0] != zlib.crc32(body):
            sys.exit(f"{path}: bad CRC in {kind}")
        if kind == b"IHDR" and body[12:17] != b"\x08\x02\x00\x00\x00":
            sys.exit(f"{path}: not 8-bit RGB without interlace")
        if kind == b"tEXt" and body[4:] != b"Software\x00":
            sys.exit(f"{path}: tEXt is not the empty Software text")
        if not types or types[-1] != kind.decode():
            types.append(kind.decode())
        at += 12 + length
    if types != ["IHDR", "tEXt", "IDAT", "IEND"]:
        sys.exit(f"{path}: chunks {types}")
    if Image.open(path).convert("RGB").tobytes() != Image.open(src).convert("RGB").tobytes():
        sys.exit(f"{path}: the pixels differ from the input's")


print(subprocess.run(["uptime"], capture_output=True, text=True).stdout.strip())
names = sorted(path.stem for path in Path(corpus).glob("*.ppm"))
times = {}  # (image, tool): [(wall ms, CPU ms) of each run]
order = list(tools)
for round_ in range(runs):
    for name in names:
        # Each round starts with the next tool, so that no tool always runs
        # after the same one: what a run leaves behind (caches, free memory)
        # moves the next run's time by a quarter and more.
        for tool in order[round_ % len(order):] + order[:round_ % len(order)]:
            command = tools[tool]
            dst = os.path.join(out, f"{name}.{tool}.png")
            run = timed(command(os.path.join(corpus, name + ".ppm"), dst), dst)
            times.setdefault((name, tool), []).append((run[0] * 1000, run[1] * 1000))

size = lambda name, tool: os.path.getsize(os.path.join(out, f"{name}.{tool}.png"))
header = "| image | " + " | ".join(f"{t} ms" for t in tools) + " | time / pnmtopng | "
header += " | ".join(f"{t} bytes" for t in tools) + " | size / pnmtopng |"
if earlier:
    header += " size / earlier |"
print(header)
print("|---|" + "---|" * (2 * len(tools) + 2 + bool(earlier)))
for name in names:
    src = os.path.join(corpus, name + ".ppm")
    for tool in ours_tools:
        check(os.path.join(out, f"{name}.{tool}.png"), src)
    med = {t: statistics.median(wall for wall, _ in times[(name, t)]) for t in tools}
    cpu = {t: statistics.median(cpu for _, cpu in times[(name, t)]) for t in tools}
    cells = [f"{med[t]:.1f} ({cpu[t]:.1f})" for t in tools]
    cells.append(f"{med['tessory-encode'] / med['pnmtopng']:.2f} ({cpu['tessory-encode'] / cpu['pnmtopng']:.2f})")
    cells += [f"{size(name, t)}" for t in tools]
    cells.append(f"{size(name, 'tessory-encode') / size(name, 'pnmtopng'):.3f}")
    if earlier:
        cells.append(f"{size(name, 'tessory-encode') / size(name, 'earlier build'):.3f}")
    print(f"| {name} | " + " | ".join(cells) + " |")
print(subprocess.run(["uptime"], capture_output=True, text=True).stdout.strip())
shutil.rmtree(out)
