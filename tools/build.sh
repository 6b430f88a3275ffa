#!/usr/bin/env bash
# Configures and builds Tessory's build trees under build/:
#   native   the portable core, encoder tool, tests and benchmarks (g++)
#   asan     the native tests again with AddressSanitizer + UBSan
#   windows  tessory.exe, tessory.chm and the Windows tests (mingw-w64)
#
#   tools/build.sh [native] [asan] [windows]     default: all three
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native asan windows)

configure() {
  local dir=$1; shift
  if [ ! -f "$root/build/$dir/build.ninja" ]; then
    cmake -S "$root" -B "$root/build/$dir" -G Ninja "$@" >/dev/null
  fi
}

for tree in "${trees[@]}"; do
  case $tree in
    native) configure native -DCMAKE_BUILD_TYPE=RelWithDebInfo ;;
    asan) configure asan -DCMAKE_BUILD_TYPE=Debug -DTESSORY_SANITIZE=ON -DTESSORY_BENCHMARKS=OFF ;;
    windows) configure windows -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
               -DTESSORY_BENCHMARKS=OFF ;;
    *) echo "build: unknown tree '$tree'" >&2; exit 2 ;;
  esac
  echo "build: $tree"
  cmake --build "$root/build/$tree"
done
