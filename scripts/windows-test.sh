#!/usr/bin/env bash
# Cross-compiles Brieflist for 64-bit Windows with mingw-w64 and tests it under Wine, headless:
#  1. builds Qt for Windows, or reuses the build of an earlier run (scripts/windows-qt.sh);
#  2. builds brieflist.exe, brieflist-cli.exe, the engine tests and the GUI tests from the same
#     CMake files, with one toolchain file and warnings as errors;
#  3. runs the engine tests, the CLI check and the GUI tests (Qt's offscreen platform) under Wine;
#  4. makes brieflist-VERSION-windows-x64.zip, unpacks it into a fresh Wine prefix where nothing
#     else is installed, starts brieflist.exe --folder on a sample folder with Qt's windows
#     platform under Xvfb, checks that its window shows and that it closes cleanly, and saves a
#     picture of the window (BUILD_FOLDER/screenshot-windows.png).
# Installs what it needs from Debian's packages first (skipping what is there). Exits non-zero
# when anything fails.
#   scripts/windows-test.sh [BUILD_FOLDER]      default: build-windows beside scripts/
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-windows}
started=$(date +%s)

# apt's words go to stderr: stdout carries what callers read.
bash "$(dirname "${BASH_SOURCE[0]}")/install-deps.sh" \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine googletest cmake \
  ninja-build xvfb xauth xdotool imagemagick unzip fonts-dejavu-core >&2

# The desktop program's part (Qt built for Windows, the window's tests, the zip) runs unless
# BRIEFLIST_WINDOWS_GUI=0, which keeps to the engine, the CLI and their tests.
gui=${BRIEFLIST_WINDOWS_GUI:-1}
if [ "$gui" = 1 ]; then
  qt=$("$root/scripts/windows-qt.sh" | tail -1)
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DBRIEFLIST_QT_WINDOWS="$qt" \
    -DCMAKE_BUILD_TYPE=Release -DBRIEFLIST_WERROR=ON \
    -DBRIEFLIST_GUI=ON -DBRIEFLIST_BENCH=OFF -DBRIEFLIST_TESTS=ON >/dev/null
  cmake --build "$build" -j"${JOBS:-2}" --target brieflist brieflist-cli engine_tests gui_tests \
    make-sample-folder windows_zip
else
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBRIEFLIST_WERROR=ON \
    -DBRIEFLIST_GUI=OFF -DBRIEFLIST_BENCH=OFF -DBRIEFLIST_TESTS=ON >/dev/null
  cmake --build "$build" -j"${JOBS:-2}" --target brieflist-cli engine_tests
fi

# Wine without a display, with its own prefix in the build folder, and one wineserver kept
# running for every test process (starting one per process costs seconds each).
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM QT_PLUGIN_PATH WINEPATH
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
start_wine() {  # PREFIX
  export WINEPREFIX=$1
  # A server left from an earlier run would serve stale copies of the rebuilt programs.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init </dev/null >/dev/null 2>&1 || true
    wineserver -w
  fi
  wineserver -p </dev/null >/dev/null 2>&1 || true  # already running is fine
  wine wineboot </dev/null >/dev/null 2>&1 || true
}
xvfb=
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT
start_wine "$build/wineprefix"

(cd "$build" && ctest --timeout 600 --output-on-failure)
if [ "$gui" != 1 ]; then
  echo "windows-test: done in $(($(date +%s) - started)) s (without the desktop program)"
  exit 0
fi

# The zip, as a player gets it: unpacked into a fresh prefix, started from its own folder.
zip=$(ls "$build"/brieflist-*-windows-x64.zip)
check=$build/zip-check
wineserver -k >/dev/null 2>&1 || true
rm -rf "$check"
mkdir -p "$check"
unzip -q "$zip" -d "$check"
program_dir=$(ls -d "$check"/brieflist-*-windows-x64)
wine "$build/bin/make-sample-folder.exe" "Z:$check/Sample Game" --archives 3 --missions 12 \
  --keys 20 --loose 3 </dev/null >/dev/null
# The display first: a prefix started without one keeps a desktop that cannot show windows.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
start_wine "$check/prefix"
sample=$(printf 'Z:%s' "$check/Sample Game" | tr / '\\')

# The CLI alone first: it needs no DLL.
mkdir -p "$check/cli-alone"
cp "$program_dir/brieflist-cli.exe" "$check/cli-alone/"
rows=$(wine "$check/cli-alone/brieflist-cli.exe" list "$sample" --format tsv </dev/null | wc -l)
[ "$rows" -eq 40 ] || { echo "windows-test: brieflist-cli.exe listed $((rows - 1)) missions, not 39" >&2; exit 1; }

(cd "$program_dir" && exec wine ./brieflist.exe --folder "$sample" </dev/null >"$check/brieflist.log" 2>&1) &
app=$!
window=$(timeout 90 xdotool search --sync --onlyvisible --name 'Brieflist$' | head -1) || true
if [ -z "$window" ]; then
  echo "windows-test: brieflist.exe showed no window; its output:" >&2
  cat "$check/brieflist.log" >&2
  exit 1
fi
sleep 3  # the grid fills after the window shows
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$build/screenshot-windows.png"
echo "windows-test: wrote $build/screenshot-windows.png"
# Moved, so that closing it stores its place: in the registry, where a Windows program keeps
# its settings.
xdotool windowmove "$window" 40 30
sleep 1
# Closed as Windows closes a window (WM_CLOSE): the program must end by itself, at once.
wine taskkill /im brieflist.exe </dev/null >/dev/null 2>&1 || true
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then
  echo "windows-test: brieflist.exe did not end when its window was closed" >&2
  exit 1
fi
status=0
wait "$app" || status=$?
app=
[ "$status" -eq 0 ] || { echo "windows-test: brieflist.exe ended with status $status" >&2; exit 1; }
if ! wine reg query 'HKCU\Software\Brieflist\Brieflist\Window' </dev/null 2>/dev/null |
    grep -q 'Left'; then
  echo "windows-test: brieflist.exe kept no window place under HKCU\Software\Brieflist" >&2
  exit 1
fi
echo "windows-test: $(basename "$zip") ($(du -k "$zip" | cut -f1) KiB) runs in a fresh prefix"
echo "windows-test: done in $(($(date +%s) - started)) s"
