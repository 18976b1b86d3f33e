#!/usr/bin/env bash
# Builds, lays out a demo program directory and shows the demo template in it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
dir=${LOOM_BUILD_DIR:-build}
home="$dir/demo-home"
"$dir/src/cli/loomcraft-cli" --home "$home" form show "$home/FORMS/GL200.FRM"
