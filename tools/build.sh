#!/usr/bin/env bash
# Configures and builds Tessory's build trees under build/:
#   native   the portable core, encoder tool, tests and benchmarks (g++)
#   asan     the native tests again, built by clang with AddressSanitizer
#            + UBSan: a second compiler over the same code; also the
#            libFuzzer targets that tools/fuzz.sh runs
#   windows  tessory.exe, tessory.chm and the Windows tests (mingw-w64)
#
#   tools/build.sh [native] [asan] [windows]     default: all three
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native asan windows)

configure() {
  local dir=$1; shift
  # A tree configured for another compiler is configured afresh.
  local compiler
  for compiler in "$@"; do
    case $compiler in -DCMAKE_CXX_COMPILER=*)
      grep -q "^CMAKE_CXX_COMPILER:[A-Z]*=.*${compiler#*=}\$" "$root/build/$dir/CMakeCache.txt" 2>/dev/null ||
        rm -rf "$root/build/$dir" ;;
    esac
  done
  # Applied every time, so that a tree made before an option was added
  # gets it; with nothing changed this costs a few seconds.
  cmake -S "$root" -B "$root/build/$dir" -G Ninja "$@" >/dev/null
}

for tree in "${trees[@]}"; do
  case $tree in
    native) configure native -DCMAKE_BUILD_TYPE=RelWithDebInfo ;;
    asan) configure asan -DCMAKE_BUILD_TYPE=Debug -DTESSORY_SANITIZE=ON -DTESSORY_FUZZ=ON -DTESSORY_BENCHMARKS=OFF \
            -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ ;;
    windows) configure windows -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
               -DTESSORY_BENCHMARKS=OFF ;;
    *) echo "build: unknown tree '$tree'" >&2; exit 2 ;;
  esac
  echo "build: $tree"
  cmake --build "$root/build/$tree"
done
