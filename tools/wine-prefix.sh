#!/usr/bin/env bash
# Creates the Wine prefix the Windows tests run in (once per prefix) with a
# 1280 x 1024 virtual desktop, so that Wine draws window frames itself and
# screen coordinates equal X coordinates. Needs $DISPLAY.
#
#   tools/wine-prefix.sh [PREFIX]      default: build/windows/wineprefix
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${1:-${WINEPREFIX:-$root/build/windows/wineprefix}}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine)

if [ ! -f "$WINEPREFIX/.tessory-ready" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
  wineserver -k || true
  wineserver -w || true
  touch "$WINEPREFIX/.tessory-ready"
fi
