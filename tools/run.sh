#!/usr/bin/env bash
# Sets up the machine, builds everything, then:
#   with $DISPLAY            starts tessory.exe under Wine on it;
#   without one, or --demo   runs the demonstration (tools/demo.py): on a
#                            virtual X display unless $DISPLAY is set, it
#                            drags Tessory's target icon onto a sample window
#                            once per file type and writes the images and a
#                            screenshot to build/demo/.
#
#   tools/run.sh [--demo]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
demo=0
case ${1:-} in
  --demo) demo=1 ;;
  "") ;;
  *) echo "usage: tools/run.sh [--demo]" >&2; exit 2 ;;
esac
[ -n "${DISPLAY:-}" ] || demo=1

"$root/tools/setup.sh"
"$root/tools/build.sh" native windows

if [ $demo -eq 1 ]; then
  if [ -n "${DISPLAY:-}" ]; then
    exec python3 "$root/tools/demo.py" "$root/build/windows" "$root/build/demo"
  fi
  echo "run: no \$DISPLAY; showing what Tessory does on a virtual X display"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" python3 "$root/tools/demo.py" "$root/build/windows" "$root/build/demo"
fi

export WINEPREFIX=${WINEPREFIX:-$root/build/run-wineprefix} WINEDEBUG=-all
wine=$(command -v wine64 || command -v wine)
"$root/tools/wine-prefix.sh" "$WINEPREFIX"
exec "$wine" "$root/build/windows/app/tessory.exe"
