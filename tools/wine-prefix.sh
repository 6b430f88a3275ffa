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

# reg_add KEY NAME DATA: a fresh prefix can still be finishing its first
# start when the first command reaches it; a refused write is tried again.
reg_add() {
  local try
  for try in 1 2 3 4 5; do
    "$wine" reg add "$1" /v "$2" /d "$3" /f >/dev/null 2>&1 && return 0
    sleep 3
  done
  echo "wine-prefix: cannot set $1\\$2 in $WINEPREFIX" >&2
  return 1
}

if [ ! -f "$WINEPREFIX/.tessory-ready" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  reg_add 'HKCU\Software\Wine\Explorer' Desktop Default
  reg_add 'HKCU\Software\Wine\Explorer\Desktops' Default 1280x1024
  wineserver -k || true
  wineserver -w || true
  touch "$WINEPREFIX/.tessory-ready"
fi
