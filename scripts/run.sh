#!/usr/bin/env bash
# Builds Brieflist and starts it on a game folder (a generated sample folder by default).
# Usage: scripts/run.sh [GAME_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -- -j"${JOBS:-2}"

folder=${1:-}
if [ -z "$folder" ]; then
  folder=$root/build/sample-folder
  [ -d "$folder" ] || build/tools/make-sample-folder "$folder" --archives 6 --missions 40 --keys 60 --loose 8
fi

if [ -x build/src/app/brieflist ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting the desktop program on $folder (OpenPath chooses another folder)."
  exec build/src/app/brieflist --folder "$folder"
fi

if [ -x build/src/app/brieflist ]; then
  echo "No display found: the desktop program needs one (X11 or Wayland)."
  echo "Here is the catalogue of $folder through build/src/cli/brieflist-cli instead:"
  echo
fi
exec build/src/cli/brieflist-cli list "$folder"
