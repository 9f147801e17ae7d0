#!/usr/bin/env bash
# Cross-compiles the engine, brieflist-cli and the engine tests for 64-bit Windows with
# mingw-w64 and runs the tests under Wine, headless. Installs what it needs from Debian's
# packages first (skipping what is there). Exits non-zero when a test fails.
#   scripts/windows-test.sh [BUILD_FOLDER]      default: build-windows beside scripts/
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-windows}

packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine googletest
          cmake ninja-build)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "windows-test: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBRIEFLIST_WERROR=ON \
  -DBRIEFLIST_GUI=OFF -DBRIEFLIST_BENCH=OFF -DBRIEFLIST_TESTS=ON >/dev/null
cmake --build "$build" -j2 --target brieflist_core brieflist-cli engine_tests

# Wine without a display, with its own prefix in the build folder, and one wineserver kept
# running for every test process (starting one per process costs seconds each).
unset DISPLAY WAYLAND_DISPLAY
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# A server left from an earlier run would serve stale copies of the rebuilt programs.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init </dev/null >/dev/null 2>&1 || true
  wineserver -w
fi
wineserver -p </dev/null >/dev/null 2>&1 || true  # already running is fine
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine wineboot </dev/null >/dev/null 2>&1 || true

cd "$build"
ctest --timeout 300 --output-on-failure
