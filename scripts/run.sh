#!/usr/bin/env bash
# Installs what is missing, builds, lays out build/app/ (the program beside its data folder) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh release
exec build/app/tallyra
