#!/usr/bin/env bash
# Runs the desktop program on a game folder under a virtual X display and writes a PNG of its
# window. With --click, clicks there (x,y in window pixels, left button) before the picture, for
# example a title to sort, or an "Enabled" cell and then the "Enable/Disable" item; with --type,
# types the text into the control that has the focus (the filter, once clicked). Clicks and
# typing happen in the order given.
#
#   tools/screenshot.sh [--build DIR] [--size WxH] [--click X,Y | --type TEXT]... GAME_FOLDER OUT.png
set -euo pipefail

build=build
size=
steps=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --click) steps+=("click:$2"); shift 2 ;;
    --type) steps+=("type:$2"); shift 2 ;;
    -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
    *) break ;;
  esac
done
if [ $# -ne 2 ]; then
  sed -n '8p' "$0" >&2
  exit 2
fi
folder=$1
out=$2
program=$build/src/app/brieflist
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing (xvfb, xdotool, imagemagick)" >&2; exit 1; }
done
[ -x "$program" ] || { echo "screenshot.sh: $program not built" >&2; exit 1; }

# A display number nobody uses.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done

Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

QT_QPA_PLATFORM=xcb "$program" --folder "$folder" &
app=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name 'Brieflist' | head -1)
if [ -n "$size" ]; then
  xdotool windowsize "$window" "${size%x*}" "${size#*x}"
fi
sleep 1
for step in ${steps[@]+"${steps[@]}"}; do
  case "$step" in
    click:*)
      click=${step#click:}
      xdotool mousemove --window "$window" "${click%,*}" "${click#*,}" click 1 ;;
    type:*) xdotool type --delay 60 "${step#type:}" ;;
  esac
  sleep 0.7
done
# The part of the screen the window covers, with any pop-up menu open over it.
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
echo "screenshot.sh: wrote $out"
