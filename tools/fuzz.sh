#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build/fuzz) and runs each for
# SECONDS seconds from its seed corpus under tests/fuzz/corpus. Exits
# non-zero when any target crashes; the crashing input is kept under
# build/fuzz/crashes/<target>/, to be added to tests/fuzz/regressions/.
#
#   tools/fuzz.sh [SECONDS]      default 15
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-15}

"$root/tools/build.sh" fuzz || exit 1

status=0
for program in "$root"/build/fuzz/tests/fuzz/fuzz_*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  target=$(basename "$program"); target=${target#fuzz_}
  # New inputs the run finds go to a scratch corpus; the seeds stay as they are.
  work="$root/build/fuzz/work/$target" crashes="$root/build/fuzz/crashes/$target"
  mkdir -p "$work" "$crashes"
  echo "== fuzz $target ($seconds s)"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "$program" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 -artifact_prefix="$crashes/" \
      -print_final_stats=0 "$work" "$root/tests/fuzz/corpus/$target" >"$root/build/fuzz/$target.log" 2>&1; then
    tail -n 40 "$root/build/fuzz/$target.log"
    echo "== fuzz $target FAILED: input kept in $crashes"
    status=1
  fi
done
exit $status
