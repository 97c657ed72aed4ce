#!/usr/bin/env bash
# Installs what is missing, builds (Release) and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${PIXPAD_BUILD_DIR:-build}" --output-on-failure
