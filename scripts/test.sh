#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test headless:
#   1. the Release build: core, file/batch and widget tests (offscreen);
#   2. a second build with AddressSanitizer + UndefinedBehaviorSanitizer
#      running the core, file and batch tests (any report fails);
#   3. a bounded libFuzzer run of the Open path from tests/fuzz/seeds.
# PIXPAD_FUZZ_SECONDS (default 60) bounds the fuzz run; 0 skips it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/deps.sh

export QT_QPA_PLATFORM=offscreen

echo "== Release build and tests"
PIXPAD_BUILD_DIR=${PIXPAD_BUILD_DIR:-build} scripts/build.sh
ctest --test-dir "${PIXPAD_BUILD_DIR:-build}" --output-on-failure

echo "== Sanitizer build and tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIXPAD_SANITIZE=ON \
  -DPIXPAD_GUI=OFF -DPIXPAD_BENCH=OFF >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure

seconds=${PIXPAD_FUZZ_SECONDS:-60}
if [ "$seconds" -gt 0 ]; then
  echo "== Fuzzing the Open path for ${seconds}s"
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPIXPAD_FUZZ=ON -DPIXPAD_GUI=OFF -DPIXPAD_TESTS=OFF -DPIXPAD_BENCH=OFF >/dev/null
  cmake --build build-fuzz --target pixpad_fuzz_open
  corpus=$(mktemp -d)
  trap 'rm -rf "$corpus"' EXIT
  cp tests/fuzz/seeds/* "$corpus"/
  build-fuzz/pixpad_fuzz_open -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
    -artifact_prefix="$root/build-fuzz/" -print_final_stats=1 "$corpus" 2>&1 | tail -n 25
  echo "fuzz: no crash in ${seconds}s"
fi
