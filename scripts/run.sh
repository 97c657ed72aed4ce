#!/usr/bin/env bash
# Installs what is missing, builds (Release) and starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
exec "${PIXPAD_BUILD_DIR:-build}/pixpad" "$@"
