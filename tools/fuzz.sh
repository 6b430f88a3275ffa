#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in the sanitizer tree,
# build/asan) and runs each for SECONDS seconds from its seed corpus under
# tests/fuzz/corpus. Exits non-zero when any target crashes; the crashing
# input is kept under build/asan/fuzz-crashes/<target>/, to be added to
# tests/fuzz/regressions/<target>/.
#
#   tools/fuzz.sh [SECONDS]      default 15
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-15}

"$root/tools/build.sh" asan || exit 1
tree="$root/build/asan"

status=0
for program in "$tree"/tests/fuzz/fuzz_*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  target=$(basename "$program"); target=${target#fuzz_}
  # New inputs the run finds go to a scratch corpus; the seeds stay as they are.
  work="$tree/fuzz-work/$target" crashes="$tree/fuzz-crashes/$target" log="$tree/fuzz-$target.log"
  mkdir -p "$work" "$crashes"
  echo "== fuzz $target ($seconds s)"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "$program" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 -artifact_prefix="$crashes/" \
      -print_final_stats=0 "$work" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "== fuzz $target FAILED: input kept in $crashes"
    status=1
  fi
done
exit $status
