#!/usr/bin/env bash
# Runs the layout test program at 96, 120 and 144 DPI: a Wine prefix of its
# own (the other tests' prefix keeps 96), its LogPixels set before each run
# and its Wine session restarted so that the new DPI takes. Needs $DISPLAY.
#
#   dpi_layout_test.sh LAYOUT_TEST_EXE PREFIX
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
exe=$1
export WINEPREFIX=$2 WINEDEBUG=-all
"$root/tools/wine-prefix.sh" "$WINEPREFIX"
wine=$(command -v wine64 || command -v wine)
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
status=0
for dpi in 96 120 144; do
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w
  # Wine reads the user's setting, and the older machine-wide one.
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$wine" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w
  echo "== at $dpi DPI"
  TESSORY_EXPECT_DPI=$dpi "$wine" "$exe" || status=1
done
exit $status
