#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) in its own build folder, installs it with dpkg -i,
# checks the installed files and that both programs start, and removes the package again.
# Needs root (dpkg) and the packages of scripts/install-deps.sh. RelWithDebInfo, as the default
# build: CPack strips the programs.
#
#   scripts/package-test.sh [BUILD_DIR]      (default: build-package)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}
jobs=${JOBS:-2}

fail() { echo "package-test: FAIL: $*" >&2; exit 1; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIEFLIST_TESTS=OFF \
  -DBRIEFLIST_BENCH=OFF -DBRIEFLIST_GUI=ON -DBRIEFLIST_WERROR=ON >/dev/null
cmake --build "$build" --target brieflist brieflist-cli -- -j"$jobs"
rm -f "$build"/brieflist_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/brieflist_*.deb)
echo "package-test: built $deb"

[ "$(dpkg-deb --field "$deb" Package)" = brieflist ] || fail "no package name in $deb"
case "$(dpkg-deb --field "$deb" Depends)" in
  *libqt6widgets6*) ;;
  *) fail "no Qt dependency in $deb" ;;
esac

dpkg -i "$deb" >/dev/null
trap 'dpkg -r brieflist >/dev/null 2>&1 || true' EXIT

for f in /usr/bin/brieflist /usr/bin/brieflist-cli; do
  [ -x "$f" ] || fail "$f not installed"
  case "$(file "$f")" in *ELF*) ;; *) fail "$f is not a program" ;; esac
done
desktop=/usr/share/applications/brieflist.desktop
[ -f "$desktop" ] || fail "$desktop not installed"
grep -qx 'Exec=brieflist %F' "$desktop" || fail "$desktop does not hand its files to brieflist"
grep -q '^MimeType=application/x-brieflist-list;' "$desktop" || fail "$desktop opens no list"
mime=/usr/share/mime/packages/brieflist-list.xml
grep -q 'pattern="\*.brl" case-sensitive="false"' "$mime" || fail "$mime has no list glob"
grep -qx 'Icon=brieflist' "$desktop" || fail "$desktop names no icon"
icon=/usr/share/icons/hicolor/256x256/apps/brieflist.png
case "$(file "$icon")" in *"PNG image data, 256 x 256"*) ;; *) fail "$icon is not a 256x256 PNG" ;; esac
dpkg -L brieflist >"$build/installed.txt"
grep -qx "$icon" "$build/installed.txt" || fail "$icon does not belong to the package"

# Both programs run from the installed place: the CLI lists a sample folder, the window starts
# offscreen and keeps running until stopped.
sample=$(mktemp -d)
trap 'rm -rf "$sample"; dpkg -r brieflist >/dev/null 2>&1 || true' EXIT
cmake --build "$build" --target make-sample-folder -- -j"$jobs" >/dev/null
"$build/tools/make-sample-folder" "$sample" --archives 1 --missions 3 --loose 1 >/dev/null
listing=$(/usr/bin/brieflist-cli list "$sample")
lines=$(printf '%s\n' "$listing" | wc -l)
[ "$lines" -ge 4 ] || fail "brieflist-cli list printed $lines lines"
status=0
QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/brieflist --folder "$sample" || status=$?
[ "$status" -eq 124 ] || fail "brieflist ended by itself with status $status"

dpkg -r brieflist >/dev/null
[ ! -e /usr/bin/brieflist ] || fail "dpkg -r left /usr/bin/brieflist"
echo "package-test: ok"
