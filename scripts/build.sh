#!/usr/bin/env bash
# Configures and builds into build/ (or $LOOM_BUILD_DIR), installing dependencies first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=${LOOM_BUILD_DIR:-build}
# Configuring again is cheap and applies LOOM_CMAKE_ARGS to an existing build folder too.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${LOOM_CMAKE_ARGS:-} >/dev/null
cmake --build "$dir" -j"$(nproc)"
