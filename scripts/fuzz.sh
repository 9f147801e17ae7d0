#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds each, seeded from the project's own writer.
# Usage: scripts/fuzz.sh SECONDS [BUILD_DIR]
set -euo pipefail
seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build-fuzz}

if [ ! -f "$build/build.ninja" ]; then
  CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBRIEFLIST_FUZZ=ON -DBRIEFLIST_GUI=OFF -DBRIEFLIST_TESTS=OFF -DBRIEFLIST_BENCH=OFF >/dev/null
fi
targets=$(cd "$root/fuzz" && ls *.cpp | sed 's/\.cpp$//')
cmake --build "$build" --target make-fuzz-seeds $targets -- -j2 >/dev/null

seeds=$build/fuzz-seeds
rm -rf "$seeds" && "$build/tools/make-fuzz-seeds" "$seeds"

status=0
for target in $targets; do
  case $target in
    ArchiveFuzz) seed=$seeds/archive ;;
    MissionHeaderFuzz) seed=$seeds/mission ;;
    RtxtFuzz) seed=$seeds/rtxt ;;
    ListFileFuzz) seed=$seeds/listfile ;;
    ImportProbeFuzz) seed=$seeds/probe ;;
    *) seed=$seeds ;;
  esac
  mkdir -p "$seed"
  corpus=$build/corpus/$target
  artifacts=$build/artifacts/$target/
  mkdir -p "$corpus" "$artifacts"
  echo "== $target: ${seconds}s"
  if ! "$build/fuzz/$target" "$corpus" "$seed" -max_total_time="$seconds" -max_len=65536 \
      -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$artifacts" -print_final_stats=1 \
      >"$build/$target.log" 2>&1; then
    echo "$target FAILED; see $build/$target.log and $artifacts"
    tail -30 "$build/$target.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' "$build/$target.log" | tail -2
  fi
done
exit $status
