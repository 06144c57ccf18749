#!/usr/bin/env bash
# Builds the Windows programs in release form and packs them for Windows
# users: DIST_DIR/zorvane-<VERSION>.zip holds every program the build names
# (programs.txt), README.txt and SHA256SUMS. Prints the zip's path and its
# SHA-256. The same commit gives the same bytes (cmake/release.cmake,
# tools/release/pack.py).
# Usage: release.sh [BUILD_DIR [DIST_DIR]]   (default build/release and dist)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${1:-build/release}
dist=${2:-dist}
bash tools/install-deps.sh

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target programs >/dev/null
mapfile -t programs <"$build/programs.txt"
for program in "${programs[@]}"; do tools/check-exe.sh "$build/bin/$program"; done

zip="$dist/zorvane-$(head -1 VERSION).zip"
python3 tools/release/pack.py "$zip" "$(cat "$build/source-date-epoch")" \
  tools/release/README.txt "${programs[@]/#/$build/bin/}"
echo "$zip"
sha256sum "$zip"
