#!/usr/bin/env bash
# Installs everything Tessory's builds and tests need on a Debian machine and
# cross-builds the static Windows libraries (zlib, libpng 1.6, libjpeg-turbo,
# libdeflate) plus GoogleTest for mingw-w64. Idempotent: a second run only checks.
#
#   tools/setup.sh            install what is missing, build what is missing
#
# The cross-built libraries go to build/deps/mingw (git-ignored).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps="$root/build/deps"
prefix="$deps/mingw"
toolchain="$root/cmake/mingw-w64.cmake"

packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  libpng-dev libjpeg62-turbo-dev zlib1g-dev libdeflate-dev googletest libgtest-dev
  libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev
  wine wine64 xvfb xauth xdotool x11-apps nasm fp-utils libchm-bin
  imagemagick libjpeg-turbo-progs netpbm python3 python3-pil python3-yaml msitools wixl
  clang libclang-rt-dev
)

log() { printf 'setup: %s\n' "$*"; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' \
      || printf '%s\n' "$p"
  done
}

enable_source_packages() {
  if [ -f /etc/apt/sources.list.d/tessory-deb-src.sources ] || [ -f /etc/apt/sources.list.d/tessory-deb-src.list ] \
     || grep -rqs -E '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 1
  fi
  local src=/etc/apt/sources.list.d/debian.sources
  # Source packages come from the main archive only: the security archive's
  # mirror does not always carry the sources of its updates.
  if [ -f "$src" ]; then
    awk -v RS= -v ORS='\n\n' '!/security/ { sub(/Types: deb\n/, "Types: deb-src\n"); print }' "$src" \
      | as_root tee /etc/apt/sources.list.d/tessory-deb-src.sources >/dev/null
  else
    grep -E '^deb ' /etc/apt/sources.list | grep -v security | sed 's/^deb /deb-src /' \
      | as_root tee /etc/apt/sources.list.d/tessory-deb-src.list >/dev/null
  fi
  log "enabled Debian source packages"
}

install_packages() {
  local need updated=0
  if enable_source_packages; then
    as_root apt-get update -qq; updated=1
  fi
  need=$(missing_packages)
  if [ -n "$need" ]; then
    log "installing: $(echo $need)"
    [ $updated -eq 1 ] || as_root apt-get update -qq
    # shellcheck disable=SC2086
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $need >/dev/null
  fi
  # The posix-thread flavour of the cross compiler is the one we build with.
  [ -x /usr/bin/x86_64-w64-mingw32-g++-posix ] || { log "x86_64-w64-mingw32-g++-posix missing"; exit 1; }
}

# fetch_source NAME: unpacks Debian's source package NAME under build/deps/src
# and prints the unpacked folder.
fetch_source() {
  local name=$1 dir="$deps/src/$1"
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir"; mkdir -p "$dir"
    (cd "$dir" && apt-get source -qq --download-only "$name" >/dev/null 2>&1 \
       || { as_root apt-get update -qq && apt-get source -qq --download-only "$name" >/dev/null; })
    (cd "$dir" && dpkg-source --no-check -x ./*.dsc tree >/dev/null)
    touch "$dir/.unpacked"
  fi
  printf '%s\n' "$dir/tree"
}

cmake_cross() {
  local srcdir=$1 builddir=$2; shift 2
  cmake -S "$srcdir" -B "$builddir" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$builddir.log" 2>&1
  cmake --build "$builddir" >>"$builddir.log" 2>&1
  cmake --install "$builddir" >>"$builddir.log" 2>&1
}

build_zlib() {
  [ -f "$prefix/lib/libz.a" ] && return
  log "cross-building zlib"
  local src obj="$deps/obj/zlib"; src=$(fetch_source zlib)
  mkdir -p "$deps/obj" "$prefix/lib" "$prefix/include"
  # Debian's zlib source drops win32/, which the shared library's resource
  # needs: build and install the static library alone.
  cmake -S "$src" -B "$obj" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release >"$obj.log" 2>&1
  cmake --build "$obj" --target zlibstatic >>"$obj.log" 2>&1
  cp "$obj/libzlibstatic.a" "$prefix/lib/libz.a"
  cp "$src/zlib.h" "$obj/zconf.h" "$prefix/include/"
}

build_libpng() {
  [ -f "$prefix/lib/libpng16.a" ] && return
  log "cross-building libpng 1.6"
  local src; src=$(fetch_source libpng1.6)
  cmake_cross "$src" "$deps/obj/libpng" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
}

build_libjpeg() {
  [ -f "$prefix/lib/libjpeg.a" ] && return
  log "cross-building libjpeg-turbo (SIMD)"
  local src; src=$(fetch_source libjpeg-turbo)
  cmake_cross "$src" "$deps/obj/libjpeg-turbo" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_TURBOJPEG=OFF -DCMAKE_ASM_NASM_COMPILER=nasm
}

build_libdeflate() {
  [ -f "$prefix/lib/libdeflate.a" ] && return
  log "cross-building libdeflate"
  local src obj="$deps/obj/libdeflate"; src=$(fetch_source libdeflate)
  # This release builds with its own Makefile, which names a MinGW static
  # library libdeflatestatic.lib; it is installed under the usual name.
  rm -rf "$obj"; mkdir -p "$deps/obj" "$prefix/lib" "$prefix/include"
  cp -a "$src" "$obj"
  make -C "$obj" CC=x86_64-w64-mingw32-gcc-posix AR=x86_64-w64-mingw32-ar libdeflatestatic.lib \
    >"$obj.log" 2>&1
  cp "$obj/libdeflatestatic.lib" "$prefix/lib/libdeflate.a"
  cp "$src/libdeflate.h" "$prefix/include/"
}

build_gtest() {
  [ -f "$prefix/lib/libgtest.a" ] && return
  log "cross-building GoogleTest"
  cmake_cross /usr/src/googletest "$deps/obj/googletest" -Dgtest_disable_pthreads=OFF
}

install_packages
mkdir -p "$prefix"
build_zlib
build_libpng
build_libjpeg
build_libdeflate
build_gtest
log "ready"
