#!/usr/bin/env bash
# Sets up the machine, builds ZOR.exe and zormap.exe and shows them watching
# a process that grows: on the current display when there is one, otherwise on a private
# Xvfb, leaving a screenshot whose path it prints.
# Usage: demo.sh [SECONDS]   (how long to watch; default 20)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-20}
bash tools/install-deps.sh
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j2 --target ZOR zormap testtarget waitwindow >/dev/null

out="$root/build/demo"
mkdir -p "$out/run"
cp build/win/bin/{ZOR,zormap,testtarget,waitwindow}.exe "$out/run/"
rm -f "$out/zor-demo.png"
tools/wine-exec.sh --stage "$out/run" bash tools/demo-show.sh "$out/run" "$out/zor-demo.png" "$seconds"
[ -f "$out/zor-demo.png" ]
