#!/usr/bin/env bash
# Sets up the machine, builds every tree and runs every test: native (g++),
# native again built by clang under ASan + UBSan, each fuzz target for a
# few seconds, and the Windows tests under Wine on a virtual X display (a
# fresh Wine prefix each run).
#
#   tools/test.sh [ctest arguments...]      e.g. -L wine, -R Bmp
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/tools/setup.sh" || exit 1
"$root/tools/build.sh" native asan windows || exit 1

status=0
started=$(date +%s)
run() {
  local name=$1; shift
  echo "== $name tests"
  "$@" || { echo "== $name tests FAILED"; status=1; }
}

run native ctest --test-dir "$root/build/native" --output-on-failure "$@"
run asan env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build/asan" --output-on-failure "$@"
# A focused run (ctest arguments given) leaves the fuzzers out.
[ $# -gt 0 ] || run fuzz "$root/tools/fuzz.sh" 8

export WINEPREFIX="$root/build/windows/wineprefix" WINEDEBUG=-all
rm -rf "$WINEPREFIX"
# One Wine session for all the Windows tests: its background processes start
# here, detached from any test's output. A Windows test program that fails
# runs once more (as the end-to-end runner does for each scenario): Wine's
# own shell dialogs, driven from a second thread, now and then miss a step
# on a loaded machine, and both runs' output stays in the log.
run windows xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$0/tools/wine-prefix.sh" || exit 1
  wineserver -p
  wine wineboot >/dev/null 2>&1 </dev/null
  ctest --test-dir "$0/build/windows" --output-on-failure --repeat until-pass:2 "${@}"; status=$?
  wineserver -k
  exit $status' "$root" "$@"

# The end-to-end runner keeps the scenarios that passed only on a retry.
retried="$root/build/windows/e2e-retried.txt"
if [ -f "$retried" ] && [ "$(stat -c %Y "$retried")" -ge "$started" ]; then
  names=$(tr '\n' ' ' <"$retried")
  names=${names% }
  echo "== end-to-end scenarios that passed only on a retry: ${names:-none}"
fi
if [ $status -eq 0 ]; then echo "== all tests passed"; else echo "== some tests FAILED"; fi
exit $status
