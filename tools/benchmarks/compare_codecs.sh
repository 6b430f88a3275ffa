#!/usr/bin/env bash
# Times the encoder tool as a whole process against the standard tools on
# the corpus images, all in one run (figures from separate runs on a shared
# machine do not compare):
#   JPEG: tessory-encode --type jpg (quality 90)  vs  cjpeg -quality 90 -dct float
#   PNG:  tessory-encode --type png               vs  pnmtopng
#   BMP:  tessory-encode --type bmp --quality 3 (24-bit)
#                                     vs  convert IN -type TrueColor BMP3:OUT
#         tessory-encode --type bmp --quality 1 (8-bit)
#                                     vs  convert IN -colors 256 BMP3:OUT
# Runs alternate between the tools (each round starting with the next
# one), and each figure is the median of RUNS runs, in milliseconds of
# wall-clock time. OUTPUT says what each run
# writes to: "new", a name no file has (removed before each run, outside
# the timing), or "existing", the file the run before wrote, which the
# tool then replaces. EARLIER, another build's tessory-encode, takes its
# turn in the same runs and gets columns of its own.
#
#   tools/benchmarks/compare_codecs.sh [ENCODER [RUNS [OUTPUT [EARLIER]]]]
#   default ENCODER: build/native/tools/tessory-encode, RUNS: 15, OUTPUT: new;
#   the corpus folder is $TESSORY_CORPUS, else ../shared/corpus.
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
encoder=${1:-$root/build/native/tools/tessory-encode}
runs=${2:-15}
output=${3:-new}
earlier=${4:-}
case $output in new | existing) ;; *) echo "compare_codecs: OUTPUT is new or existing" >&2; exit 2 ;; esac
corpus=${TESSORY_CORPUS:-$root/../shared/corpus}
for tool in "$encoder" ${earlier:+"$earlier"} cjpeg pnmtopng /usr/bin/convert; do
  command -v "$tool" >/dev/null || { echo "compare_codecs: $tool not found" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The ours_* functions run the encoder $enc, writing $work/$tag.*.
enc=$encoder tag=ours
ours_jpg() { "$enc" --type jpg "$1" "$work/$tag.jpg"; }
cjpeg_jpg() { cjpeg -quality 90 -dct float -outfile "$work/cjpeg.jpg" "$1"; }
ours_png() { "$enc" --type png "$1" "$work/$tag.png"; }
pnmtopng_png() { pnmtopng "$1" >"$work/pnmtopng.png" 2>/dev/null; }
ours_bmp24() { "$enc" --type bmp --quality 3 "$1" "$work/$tag.bmp"; }
convert_bmp24() { /usr/bin/convert "$1" -type TrueColor "BMP3:$work/convert.bmp"; }
ours_bmp8() { "$enc" --type bmp --quality 1 "$1" "$work/$tag.bmp"; }
convert_bmp8() { /usr/bin/convert "$1" -colors 256 "BMP3:$work/convert.bmp"; }

# Appends the milliseconds one run of "$@" takes to the file $times.
timed() {
  local times=$1 start end
  shift
  start=$EPOCHREALTIME
  "$@"
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f\n", (e - s) * 1000 }' >>"$times"
}

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
bytes() { wc -c <"$1" | tr -d ' '; }

# compare LABEL OURS THEIRS IMAGE: one table row.
compare() {
  local label=$1 ours=$2 theirs=$3 image=$4 i k
  local turns=(ours theirs ${earlier:+earlier})
  rm -f "$work/a" "$work/b" "$work/c"
  ours_png "$image"  # warm the page cache and the loader once
  for ((i = 0; i < runs; i++)); do
    [ "$output" = existing ] || rm -f "$work"/ours.* "$work"/earlier.* "$work/cjpeg.jpg" "$work/pnmtopng.png" "$work/convert.bmp"
    # Each round starts with the next tool, so that none always runs after
    # the same one.
    for ((k = 0; k < ${#turns[@]}; k++)); do
      case ${turns[(i + k) % ${#turns[@]}]} in
        ours) timed "$work/a" "$ours" "$image" ;;
        earlier) enc=$earlier tag=earlier timed "$work/c" "$ours" "$image" ;;
        theirs) timed "$work/b" "$theirs" "$image" ;;
      esac
    done
  done
  local a b c
  a=$(median "$work/a")
  b=$(median "$work/b")
  if [ -z "$earlier" ]; then
    printf '| %s | %s | %s | %s | %s |\n' "$label" "$(basename "$image" .ppm)" "$a" "$b" "$(ratio "$a" "$b")"
  else
    c=$(median "$work/c")
    printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$label" "$(basename "$image" .ppm)" "$a" "$c" "$b" \
      "$(ratio "$a" "$b")" "$(ratio "$c" "$b")"
  fi
}

uptime
if [ -z "$earlier" ]; then
  echo "| format | image | tessory-encode ms | reference ms | ratio |"
  echo "|---|---|---|---|---|"
else
  echo "| format | image | tessory-encode ms | earlier ms | reference ms | ratio | earlier ratio |"
  echo "|---|---|---|---|---|---|---|"
fi
for image in "$corpus"/*.ppm; do
  compare "JPEG q90 (vs cjpeg)" ours_jpg cjpeg_jpg "$image"
  cmp -s "$work/ours.jpg" "$work/cjpeg.jpg" && same="identical bytes" || same="bytes differ"
  echo "|  | sizes: ours $(bytes "$work/ours.jpg"), cjpeg $(bytes "$work/cjpeg.jpg") ($same) | | | |"
done
for image in "$corpus"/*.ppm; do
  compare "PNG (vs pnmtopng)" ours_png pnmtopng_png "$image"
  echo "|  | sizes: ours $(bytes "$work/ours.png"), pnmtopng $(bytes "$work/pnmtopng.png") | | | |"
done
for image in "$corpus"/*.ppm; do
  compare "BMP 24-bit (vs convert)" ours_bmp24 convert_bmp24 "$image"
  echo "|  | sizes: ours $(bytes "$work/ours.bmp"), convert $(bytes "$work/convert.bmp") | | | |"
  compare "BMP 8-bit (vs convert)" ours_bmp8 convert_bmp8 "$image"
  echo "|  | sizes: ours $(bytes "$work/ours.bmp"), convert $(bytes "$work/convert.bmp") | | | |"
done
uptime
