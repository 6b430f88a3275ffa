#!/usr/bin/env bash
# Sets up the machine, builds everything and starts tessory.exe under Wine:
# on $DISPLAY when it is set, otherwise on a virtual X display (Xvfb).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/tools/setup.sh"
"$root/tools/build.sh" native windows

exe="$root/build/windows/app/tessory.exe"
if [ ! -f "$exe" ]; then
  echo "run: everything is built; tessory.exe itself (the main window) is not part of this version yet."
  exit 0
fi

export WINEPREFIX=${WINEPREFIX:-$root/build/run-wineprefix} WINEDEBUG=-all
wine=$(command -v wine64 || command -v wine)
if [ -n "${DISPLAY:-}" ]; then
  "$root/tools/wine-prefix.sh" "$WINEPREFIX"
  exec "$wine" "$exe"
fi
echo "run: no \$DISPLAY; starting tessory.exe on a virtual X display"
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '"$0" "$1" && exec "$2" "$3"' \
  "$root/tools/wine-prefix.sh" "$WINEPREFIX" "$wine" "$exe"
