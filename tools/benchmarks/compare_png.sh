#!/usr/bin/env bash
# Times PNG writing as whole processes, in one run on the same images:
# tessory-encode --type png against pnmtopng (libpng's defaults: adaptive
# filter, zlib level 6), and checks what it wrote.
#
#   compare_png.sh [ENCODER] [RUNS] [EARLIER_ENCODER]
#
# ENCODER defaults to build/native/tools/tessory-encode. The tools take
# turns (one run of each, then the next round), and each figure is the
# median of RUNS (default 11) wall-clock times in milliseconds, the CPU time
# (user + system) in brackets. With EARLIER_ENCODER an earlier build takes
# its turns too. Every file is checked: the chunks are the signature, IHDR
# (8-bit RGB), one tEXt "Software" with empty text, IDAT and IEND, and the
# pixels decode (with Pillow) to the input's exactly; the earlier build's
# too. The machine's load is printed first: figures from a busy machine
# compare only with figures of the same run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
encoder=${1:-$root/build/native/tools/tessory-encode}
runs=${2:-11}
earlier=${3:-}
corpus=${TESSORY_CORPUS:-$root/../shared/corpus}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

uptime
/usr/bin/python3 - "$encoder" "$runs" "$corpus" "$out" "$earlier" <<'PY'
import os, statistics, struct, subprocess, sys, time, zlib
from PIL import Image

encoder, runs, corpus, out, earlier = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
tools = {
    "tessory-encode": lambda src, dst: [encoder, "--type", "png", src, dst],
    "pnmtopng": lambda src, dst: ["pnmtopng", src],  # writes to its standard output
}
if earlier:
    tools["earlier build"] = lambda src, dst: [earlier, "--type", "png", src, dst]
ours_tools = [t for t in tools if t != "pnmtopng"]


def timed(command, dst):
    """Wall-clock and CPU seconds of one run, writing a new file."""
    if os.path.exists(dst):
        os.remove(dst)
    with open(dst, "wb") if command[0] == "pnmtopng" else open(os.devnull, "wb") as output:
        start = time.perf_counter()
        process = subprocess.Popen(command, stdout=output, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{command[0]} failed")
    return wall, usage.ru_utime + usage.ru_stime


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


names = sorted(n[:-4] for n in os.listdir(corpus) if n.endswith(".ppm"))
walls = {(n, t): [] for n in names for t in tools}
cpus = {(n, t): [] for n in names for t in tools}
for _ in range(runs):
    for name in names:
        src = os.path.join(corpus, name + ".ppm")
        for tool, command in tools.items():
            dst = os.path.join(out, f"{name}.{tool}.png")
            wall, cpu = timed(command(src, dst), dst)
            walls[(name, tool)].append(wall * 1000)
            cpus[(name, tool)].append(cpu * 1000)

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
    med = {t: statistics.median(walls[(name, t)]) for t in tools}
    cpu = {t: statistics.median(cpus[(name, t)]) for t in tools}
    cells = [f"{med[t]:.1f} ({cpu[t]:.1f})" for t in tools]
    cells.append(f"{med['tessory-encode'] / med['pnmtopng']:.2f} ({cpu['tessory-encode'] / cpu['pnmtopng']:.2f})")
    cells += [f"{size(name, t)}" for t in tools]
    cells.append(f"{size(name, 'tessory-encode') / size(name, 'pnmtopng'):.3f}")
    if earlier:
        cells.append(f"{size(name, 'tessory-encode') / size(name, 'earlier build'):.3f}")
    print(f"| {name} | " + " | ".join(cells) + " |")
PY
uptime
