#!/usr/bin/env bash
# Builds and runs the whole test suite: a g++ build, a clang build under AddressSanitizer and
# UndefinedBehaviorSanitizer, the fuzzers for a short while, and the Windows build under Wine.
# Expects the packages of scripts/install-deps.sh. Every build here treats warnings as errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-20}

step() { printf '\n==== %s\n' "$*"; }

step "clang build with AddressSanitizer and UndefinedBehaviorSanitizer"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DBRIEFLIST_SANITIZE=ON -DBRIEFLIST_FUZZ=ON -DBRIEFLIST_BENCH=OFF -DBRIEFLIST_WERROR=ON >/dev/null
cmake --build build-asan -- -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

step "fuzzers, ${fuzz_seconds}s each"
scripts/fuzz.sh "$fuzz_seconds" "$root/build-asan"

if [ -x scripts/windows-test.sh ] && [ "${SKIP_WINDOWS:-0}" != 1 ]; then
  step "Windows build under Wine"
  scripts/windows-test.sh
fi

if [ -x scripts/package-test.sh ] && [ "${SKIP_PACKAGE:-0}" != 1 ]; then
  step "Debian package"
  scripts/package-test.sh
fi

# Release, as a package ships it.
step "g++ Release build"
CC=gcc CXX=g++ cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIEFLIST_WERROR=ON \
  >/dev/null
cmake --build build -- -j"$jobs"
status=0
ctest --test-dir build --output-on-failure -j"$jobs" | tee build/ctest-summary.log || status=$?
# ctest lists skipped tests after its summary; end with the summary itself.
echo
grep -E '^[0-9]+% tests passed' build/ctest-summary.log | tail -1
exit "$status"
