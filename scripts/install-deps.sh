#!/usr/bin/env bash
# Installs every Debian 12 package Brieflist needs to build, test and run; with package names,
# only those (the Windows scripts name what they need). Safe to run again: what is already
# there is not asked for.
set -euo pipefail

packages=("$@")
[ "$#" -gt 0 ] || packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format
  qt6-base-dev libgtest-dev googletest
  fonts-dejavu-core xvfb xauth xdotool imagemagick x11-apps
  dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
