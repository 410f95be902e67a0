#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite offscreen.
# Usage: scripts/test.sh [dev|asan]   (default: dev)
set -euo pipefail
preset="${1:-dev}"
cd "$(dirname "$0")/.."
scripts/setup.sh "$preset"
export QT_QPA_PLATFORM=offscreen
ctest --preset "$preset" -j 2
