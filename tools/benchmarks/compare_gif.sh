#!/usr/bin/env bash
# Times GIF writing as whole processes, in one run on the same images:
# tessory-encode --type gif, ImageMagick (Floyd-Steinberg, 256 colours) and
# Pillow (fast octree to 256 colours with Floyd-Steinberg, then saved).
#
#   compare_gif.sh [ENCODER] [RUNS] [EARLIER_ENCODER]
#
# ENCODER defaults to build/native/tools/tessory-encode. The tools take
# turns (one run of each, then the next round, which starts with the next
# tool), and each figure is the median of RUNS (default 11) wall-clock
# times in milliseconds; the CPU
# time (user + system, all threads) follows in brackets for our builds. With
# EARLIER_ENCODER an earlier build takes its turns too, and its files must
# be byte-identical to ENCODER's. The machine's load is printed first:
# figures from a busy machine compare only with figures of the same run.
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
import filecmp, os, statistics, subprocess, sys, time

encoder, runs, corpus, out, earlier = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
pillow = ("import sys\nfrom PIL import Image\n"
          "im = Image.open(sys.argv[1]).convert('RGB')\n"
          "im.quantize(256, method=Image.Quantize.FASTOCTREE, dither=Image.Dither.FLOYDSTEINBERG).save(sys.argv[2])\n")
tools = {
    "tessory-encode": lambda src, dst: [encoder, "--type", "gif", src, dst],
    "ImageMagick": lambda src, dst: ["/usr/bin/convert", src, "-dither", "FloydSteinberg", "-colors", "256", dst],
    "Pillow": lambda src, dst: ["/usr/bin/python3", "-c", pillow, src, dst],
}
if earlier:
    tools["earlier build"] = lambda src, dst: [earlier, "--type", "gif", src, dst]

def timed(command):
    """Wall-clock and CPU seconds of one run."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{command[0]} failed")
    return wall, usage.ru_utime + usage.ru_stime

names = sorted(n[:-4] for n in os.listdir(corpus) if n.endswith(".ppm"))
walls = {(n, t): [] for n in names for t in tools}
cpus = {(n, t): [] for n in names for t in tools}
order = list(tools)
for round_ in range(runs):
    for name in names:
        src = os.path.join(corpus, name + ".ppm")
        # Each round starts with the next tool: see compare_png.py.
        for tool in order[round_ % len(order):] + order[:round_ % len(order)]:
            wall, cpu = timed(tools[tool](src, os.path.join(out, f"{name}.{tool}.gif")))
            walls[(name, tool)].append(wall * 1000)
            cpus[(name, tool)].append(cpu * 1000)

extra = " | ours / earlier" if earlier else ""
print("| image | " + " | ".join(f"{t} ms" for t in tools) + " | ours / ImageMagick | ours / Pillow" + extra + " |")
print("|---|" + "---|" * (len(tools) + 2 + bool(earlier)))
for name in names:
    med = {t: statistics.median(walls[(name, t)]) for t in tools}
    ours = med["tessory-encode"]
    cells = [f"{ours:.1f} ({statistics.median(cpus[(name, 'tessory-encode')]):.1f})"]
    cells += [f"{med[t]:.1f}" for t in tools if t not in ("tessory-encode", "earlier build")]
    if earlier:
        cells.append(f"{med['earlier build']:.1f} ({statistics.median(cpus[(name, 'earlier build')]):.1f})")
    ratios = f"{ours / med['ImageMagick']:.2f} | {ours / med['Pillow']:.2f}"
    if earlier:
        if not filecmp.cmp(os.path.join(out, f"{name}.tessory-encode.gif"),
                           os.path.join(out, f"{name}.earlier build.gif"), shallow=False):
            sys.exit(f"{name}: the earlier build wrote different bytes")
        ratios += f" | {ours / med['earlier build']:.2f}"
    print(f"| {name} | " + " | ".join(cells) + f" | {ratios} |")
PY
uptime
