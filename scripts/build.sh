#!/usr/bin/env bash
# Configures and builds into build/ (or $LOOM_BUILD_DIR), installing dependencies first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=${LOOM_BUILD_DIR:-build}
# Configuring again is cheap and applies LOOM_CMAKE_ARGS to an existing build folder too.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${LOOM_CMAKE_ARGS:-} >/dev/null
# LOOM_BUILD_TARGETS limits the build to what a caller needs (the demo skips the tests).
# shellcheck disable=SC2086
cmake --build "$dir" -j"$(nproc)" ${LOOM_BUILD_TARGETS:+--target $LOOM_BUILD_TARGETS}
