#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
dir=${LOOM_BUILD_DIR:-build}
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
