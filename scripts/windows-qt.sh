#!/usr/bin/env bash
# Builds Qt's base module for 64-bit Windows (mingw-w64, shared DLLs) from Debian's own
# qt6-base source, once per machine, and prints the folder it is installed in on the last line
# of its output. Later runs reuse that build when it is complete.
#   scripts/windows-qt.sh            builds or reuses; prints the Qt prefix last
#
# The cache lives outside the checkout, in $BRIEFLIST_QT_CACHE, else
# /var/cache/brieflist-qt-windows when writable, else ~/.cache/brieflist-qt-windows, in a
# folder named after the Qt version, the compiler's version and a hash of the options below.
# A build is installed into a staging folder and renamed into place, and the stamp file is
# written after that, so a build that was stopped half-way is never taken for a finished one;
# its work folder is kept so the next run goes on where it stopped.
# Only Debian's archive is used: the source comes through a private apt configuration, so the
# system's own apt sources are left as they are.
set -euo pipefail

started=$(date +%s)
say() { echo "windows-qt: $*" >&2; }

# apt's words go to stderr: stdout carries what callers read.
bash "$(dirname "${BASH_SOURCE[0]}")/install-deps.sh" \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake ninja-build perl xz-utils \
  dpkg-dev qt6-base-dev qt6-base-dev-tools >&2

# The host tools (moc, rcc, uic) must be the very version that is built.
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
qt_version=${host_version%%+*}
gcc_version=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)

# Everything that changes the result goes into this text, and its hash into the cache key.
# The program needs Core, Gui, Widgets and Test; the rest is switched off to save build time.
options="
qt=$host_version
gcc=$gcc_version
-DCMAKE_BUILD_TYPE=Release
-DBUILD_SHARED_LIBS=ON
-DQT_BUILD_EXAMPLES=OFF
-DQT_BUILD_TESTS=OFF
-DFEATURE_sql=OFF
-DFEATURE_network=OFF
-DFEATURE_dbus=OFF
-DFEATURE_opengl=OFF
-DFEATURE_printsupport=OFF
-DFEATURE_concurrent=OFF
-DFEATURE_xml=OFF
-DFEATURE_vulkan=OFF
-DFEATURE_jpeg=OFF
-DFEATURE_icu=OFF
-DFEATURE_system_zlib=OFF
-DFEATURE_system_pcre2=OFF
-DFEATURE_system_harfbuzz=OFF
-DFEATURE_system_freetype=OFF
-DFEATURE_system_png=OFF
"
hash=$(printf '%s' "$options" | sha256sum | cut -c1-12)
key="qt-$qt_version-mingw$gcc_version-$hash"

if [ -n "${BRIEFLIST_QT_CACHE:-}" ]; then
  cache=$BRIEFLIST_QT_CACHE
elif mkdir -p /var/cache/brieflist-qt-windows 2>/dev/null && [ -w /var/cache/brieflist-qt-windows ]; then
  cache=/var/cache/brieflist-qt-windows
else
  cache=${XDG_CACHE_HOME:-$HOME/.cache}/brieflist-qt-windows
fi
mkdir -p "$cache"
prefix=$cache/$key
stamp=$prefix/brieflist-complete

finish() {
  say "Qt for Windows ready in $prefix ($(($(date +%s) - started)) s)"
  echo "$prefix"
  exit 0
}
[ -f "$stamp" ] && finish

# Two runs at once would build over each other: the second waits for the first.
exec 9>"$cache/$key.lock"
flock 9
[ -f "$stamp" ] && finish

# A folder without the stamp is a leftover of a stopped run (the rename happened, the stamp
# did not): it is not trusted.
rm -rf "$prefix"
work=$cache/$key.work
mkdir -p "$work"
say "building Qt $host_version for Windows in $work (takes long the first time)"

# Debian's source package, through apt with a private list of deb-src entries that mirror the
# archive apt already uses.
if [ ! -f "$work/source/.unpacked" ]; then
  apt_dir=$work/apt
  mkdir -p "$apt_dir/lists/partial" "$work/download"
  {
    echo "Types: deb-src"
    awk '/^URIs:/ {print; exit}' /etc/apt/sources.list.d/debian.sources
    echo "Suites: $(. /etc/os-release && echo "$VERSION_CODENAME")"
    echo "Components: main"
    awk '/^Signed-By:/ {print; exit}' /etc/apt/sources.list.d/debian.sources
  } >"$apt_dir/src.sources"
  apt_opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir"
            -o Dir::State::Lists="$apt_dir/lists")
  apt-get "${apt_opts[@]}" update -qq
  (cd "$work/download" && apt-get "${apt_opts[@]}" source --download-only -qq "qt6-base=$host_version")
  rm -rf "$work/source"
  # dpkg-source unpacks the upstream tarball and applies Debian's own patches.
  (cd "$work/download" && dpkg-source --no-check -x qt6-base_*.dsc "$work/source" >/dev/null)
  touch "$work/source/.unpacked"
fi

# Two changes to the windows platform plugin, without which it does not build here:
# - Debian's source leaves out Wintab's headers (their licence forbids changes); only the
#   plugin's support for old tablet drivers uses them. That support is left out: pens still work
#   through Windows' own pointer messages.
# - With OpenGL switched off, one function still asks for dynamic OpenGL, whose feature does not
#   follow OpenGL's.
# (Not part of the key: without them the build fails, so no finished build lacks them.)
# Each change is made only where it is not made yet.
(
  plugin=$work/source/src/plugins/platforms/windows
  for list in "$plugin/CMakeLists.txt" "$plugin/../direct2d/CMakeLists.txt"; do
    sed -i 's|CONDITION QT_FEATURE_tabletevent$|CONDITION QT_FEATURE_tabletevent AND EXISTS ${QtBase_SOURCE_DIR}/src/3rdparty/wintab/wintab.h|' \
      "$list"
  done
  sed -i 's|QT_CONFIG(tabletevent)|defined(QT_WINTAB_HEADERS)|' "$plugin/qwindowscontext.cpp"
  sed -i '/^#if QT_CONFIG(tabletevent)$/{N;s|^#if QT_CONFIG(tabletevent)\n#  include "qwindowstabletsupport.h"|#if defined(QT_WINTAB_HEADERS)\n#  include "qwindowstabletsupport.h"|}' \
    "$plugin/qwindowspointerhandler.cpp"
  sed -i 's|^#if QT_CONFIG(dynamicgl)$|#if QT_CONFIG(opengl) \&\& QT_CONFIG(dynamicgl)|' \
    "$plugin/qwindowswindow.cpp"
  if ! grep -q 'wintab/wintab.h$' "$plugin/CMakeLists.txt" ||
     ! grep -q 'wintab/wintab.h$' "$plugin/../direct2d/CMakeLists.txt" ||
     grep -q 'QT_CONFIG(tabletevent)' "$plugin/qwindowscontext.cpp" ||
     ! grep -B1 'include "qwindowstabletsupport.h"' "$plugin/qwindowspointerhandler.cpp" |
       grep -q QT_WINTAB_HEADERS ||
     grep -q '^#if QT_CONFIG(dynamicgl)$' "$plugin/qwindowswindow.cpp"; then
    say "Qt's windows platform plugin is not as expected: changing it failed"
    exit 1
  fi
)

cat >"$work/toolchain.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

mapfile -t cmake_options < <(printf '%s\n' "$options" | grep '^-D')
if [ ! -f "$work/build/build.ninja" ]; then
  say "configuring"
  nice -n 19 cmake -S "$work/source" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${cmake_options[@]}" >"$work/configure.log" 2>&1 || {
      tail -40 "$work/configure.log" >&2
      rm -rf "$work/build"
      exit 1
    }
fi
say "compiling (log: $work/build.log)"
nice -n 19 cmake --build "$work/build" -j"${JOBS:-2}" >"$work/build.log" 2>&1 || {
  tail -40 "$work/build.log" >&2
  exit 1
}

staging=$work/staging
rm -rf "$staging"
DESTDIR=$staging cmake --install "$work/build" >"$work/install.log" 2>&1
mv "$staging$prefix" "$prefix"
date -u +%FT%TZ >"$stamp"
rm -rf "$work"
finish
