#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test headless:
#   1. the Release build: core, file/batch and widget tests (offscreen);
#   2. a second build with AddressSanitizer + UndefinedBehaviorSanitizer
#      running the core, file and batch tests (any report fails);
#   3. a bounded libFuzzer run of the Open path from tests/fuzz/seeds.
# PIXPAD_FUZZ_SECONDS (default 60) bounds the fuzz run; 0 skips it.
# PIXPAD_BUILD_DIR, PIXPAD_ASAN_DIR and PIXPAD_FUZZ_DIR (default build,
# build-asan, build-fuzz) name the three build folders.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

export QT_QPA_PLATFORM=offscreen

echo "== Release build and tests"
PIXPAD_BUILD_DIR=${PIXPAD_BUILD_DIR:-build} scripts/build.sh
ctest --test-dir "${PIXPAD_BUILD_DIR:-build}" --output-on-failure

echo "== Sanitizer build and tests"
asan=${PIXPAD_ASAN_DIR:-build-asan}
cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIXPAD_SANITIZE=ON \
  -DPIXPAD_GUI=OFF -DPIXPAD_BENCH=OFF >/dev/null
cmake --build "$asan"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$asan" --output-on-failure

seconds=${PIXPAD_FUZZ_SECONDS:-60}
if [ "$seconds" -gt 0 ]; then
  echo "== Fuzzing the Open path for ${seconds}s"
  fuzz=${PIXPAD_FUZZ_DIR:-build-fuzz}
  cmake -S . -B "$fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPIXPAD_FUZZ=ON -DPIXPAD_GUI=OFF -DPIXPAD_TESTS=OFF -DPIXPAD_BENCH=OFF >/dev/null
  cmake --build "$fuzz" --target pixpad_fuzz_open
  corpus=$(mktemp -d)
  trap 'rm -rf "$corpus"' EXIT
  cp tests/fuzz/seeds/* "$corpus"/
  "$fuzz"/pixpad_fuzz_open -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
    -artifact_prefix="$(cd "$fuzz" && pwd)/" -print_final_stats=1 "$corpus" 2>&1 | tail -n 25
  echo "fuzz: no crash in ${seconds}s"
fi
