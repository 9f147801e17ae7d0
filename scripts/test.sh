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

# Write protection does not bind root, so the read-only tests skip there: run them as an
# unprivileged user as well, in folders of their own, and count a skip as a failure.
if [ "$(id -u)" = 0 ]; then
  step "read-only tests as an unprivileged user"
  scratch=$(mktemp -d)
  chmod 777 "$scratch"
  cp build/tests/engine_tests "$scratch/"  # the checkout may lie where that user cannot go
  (cd "$scratch" && TMPDIR="$scratch" XDG_DATA_HOME="$scratch" HOME="$scratch" \
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
    ./engine_tests --gtest_filter='*ReadOnly*') | tee "$scratch/read-only.log" || status=1
  if grep -q 'SKIPPED' "$scratch/read-only.log" || ! grep -q 'PASSED' "$scratch/read-only.log"; then
    echo "the read-only tests did not run"
    status=1
  fi
  rm -rf "$scratch"
fi

step "size of the tests against the code"
scripts/code-size.sh || status=1
# ctest lists skipped tests after its summary; end with the summary itself.
echo
grep -E '^[0-9]+% tests passed' build/ctest-summary.log | tail -1
exit "$status"
