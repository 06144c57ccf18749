#!/usr/bin/env bash
# Measures what ZOR.exe costs, each figure beside a bare program doing the
# same job and as a ratio: one measurement of a target, one row of
# zorlog.exe, zormap.exe opening a week of zorlog rows, one waiting tick, CPU time over a soak, start-up time, the
# executable's size and its private memory. Builds what it needs (build/win)
# and runs under Wine in a prefix of its own (build/bench/wineprefix), on the
# current display or a private Xvfb (in the emulated machine where this
# kernel runs no 32-bit programs, where it takes far longer).
# Takes about three minutes plus the soak; not part of tools/test.sh.
# Usage: bench.sh [SOAK_SECONDS] [TARGET_REGIONS]   (defaults 60 and 4000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
soak=${1:-60}
regions=${2:-4000}
build=${ZOR_BUILD_DIR:-build/win}  # the Windows build to use
bash tools/install-deps.sh
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target ZOR zorlog zormap testtarget zor_bench open_bench \
  idle_timer min_dialog >/dev/null

out="$root/build/bench"
mkdir -p "$out"
for f in ZOR.exe zormap.exe testtarget.exe zor_bench.exe open_bench.exe idle_timer.exe min_dialog.exe; do
  cp "$build/bin/$f" "$out/"
done
# The soak's target, under a name of its own so the tool waits for it alone.
cp "$build/bin/testtarget.exe" "$out/benchtarget.exe"
tools/wine-exec.sh --stage "$out" bash tools/bench-run.sh "$out" "$soak" "$regions"
