#!/usr/bin/env bash
# Times GIF writing as whole processes, in one run on the same images:
# tessory-encode --type gif, ImageMagick (octree colours, Floyd-Steinberg)
# and Pillow (octree quantize, then Floyd-Steinberg remap).
#
#   compare_gif.sh [ENCODER] [RUNS] [EARLIER_ENCODER]
#
# ENCODER defaults to build/native/tools/tessory-encode; each figure is the
# best of RUNS (default 5) wall-clock times, in milliseconds. With
# EARLIER_ENCODER, an earlier build is timed in the same run too, and its
# output is checked to be byte-identical to ENCODER's.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
encoder=${1:-$root/build/native/tools/tessory-encode}
runs=${2:-5}
earlier=${3:-}
corpus=${TESSORY_CORPUS:-$root/../shared/corpus}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

/usr/bin/python3 - "$encoder" "$runs" "$corpus" "$out" "$earlier" <<'PY'
import filecmp, os, subprocess, sys, time

encoder, runs, corpus, out, earlier = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
pillow = ("import sys\nfrom PIL import Image\n"
          "im = Image.open(sys.argv[1]).convert('RGB')\n"
          "pal = im.quantize(256, method=Image.Quantize.FASTOCTREE)\n"
          "im.quantize(palette=pal, dither=Image.Dither.FLOYDSTEINBERG).save(sys.argv[2])\n")
tools = {
    "tessory-encode": lambda src, dst: [encoder, "--type", "gif", src, dst],
    "ImageMagick": lambda src, dst: ["/usr/bin/convert", src, "-dither", "FloydSteinberg", "-colors", "256", dst],
    "Pillow": lambda src, dst: ["/usr/bin/python3", "-c", pillow, src, dst],
}
if earlier:
    tools["earlier build"] = lambda src, dst: [earlier, "--type", "gif", src, dst]

def best_ms(command):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        best = min(best, time.perf_counter() - start)
    return best * 1000

names = sorted(n[:-4] for n in os.listdir(corpus) if n.endswith(".ppm"))
extra = " | earlier / ours" if earlier else ""
print("| image | " + " | ".join(f"{t} ms" for t in tools) + " | ImageMagick / ours | Pillow / ours" + extra + " |")
print("|---|" + "---|" * (len(tools) + 2 + bool(earlier)))
for name in names:
    src = os.path.join(corpus, name + ".ppm")
    times = {}
    for tool, command in tools.items():
        dst = os.path.join(out, f"{name}.{tool}.gif")
        times[tool] = best_ms(command(src, dst))
    ours = times["tessory-encode"]
    cells = " | ".join(f"{times[t]:.1f}" for t in tools)
    ratios = f"{times['ImageMagick'] / ours:.1f}x | {times['Pillow'] / ours:.1f}x"
    if earlier:
        same = filecmp.cmp(os.path.join(out, f"{name}.tessory-encode.gif"),
                           os.path.join(out, f"{name}.earlier build.gif"), shallow=False)
        if not same:
            sys.exit(f"{name}: the earlier build wrote different bytes")
        ratios += f" | {times['earlier build'] / ours:.1f}x"
    print(f"| {name} | {cells} | {ratios} |")
PY
