#!/usr/bin/env bash
# Configures and builds a Release build in build/ (or $PIXPAD_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
"$PWD/scripts/deps.sh"
dir=${PIXPAD_BUILD_DIR:-build}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$dir"
