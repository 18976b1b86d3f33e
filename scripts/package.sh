#!/usr/bin/env bash
# Builds the Debian package: scripts/package.sh [BUILD_DIR] (default build-package, a Release
# build without tests or benchmarks). An existing build folder (such as CI's) is built as it is
# configured and packed from there. Prints the path of the .deb on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=${1:-build-package}
if [ ! -f "$dir/CMakeCache.txt" ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DLOOM_TESTS=OFF -DLOOM_BENCH=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" >&2
rm -rf "$dir/package"
# cpack installs into its own staging folder under the package's prefix (/usr) and strips
# the programs.
(cd "$dir" && cpack -G DEB -B package >/dev/null)
deb=$(find "$dir/package" -maxdepth 1 -name '*.deb' | head -n1)
[ -n "$deb" ] || { echo "fel: inget paket byggdes i $dir/package" >&2; exit 1; }
realpath "$deb"
