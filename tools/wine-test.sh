#!/usr/bin/env bash
# Runs one cross-built test program under Wine in the tests' prefix
# (see tools/wine-prefix.sh). Needs $DISPLAY.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix}
export WINEDEBUG=-all
"$root/tools/wine-prefix.sh" "$WINEPREFIX"
wine=$(command -v wine64 || command -v wine)
exec "$wine" "$@"
