#!/usr/bin/env bash
# Sets up the machine and runs every test: the logic natively, again with
# AddressSanitizer and UndefinedBehaviorSanitizer, fuzzed briefly with
# libFuzzer, and the Windows build (unit, binding and end-to-end tests) under
# Wine, in an emulated machine where this kernel runs no 32-bit programs
# (tools/wine-exec.sh). Each layer's wall time is said as it ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/install-deps.sh

# Says how long the previous layer took, then names the next.
layer_start=$SECONDS
layer_name=""
layer() {
  [ -n "$layer_name" ] && echo "== $layer_name: $((SECONDS - layer_start)) s"
  layer_start=$SECONDS
  layer_name=$1
  [ -n "$1" ] && echo "== $1"
  true
}

configure_and_build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j2 >/dev/null
}

layer "native"
configure_and_build build/host -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build/host --output-on-failure -j2

layer "native with sanitizers"
configure_and_build build/asan -DCMAKE_BUILD_TYPE=Debug -DZOR_SANITIZE=ON
ctest --test-dir build/asan --output-on-failure -j2

layer "fuzzing: seeds and past failures, then ${ZOR_FUZZ_SECONDS:-10} s per target"
configure_and_build build/fuzz -DZOR_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
ctest --test-dir build/fuzz --output-on-failure
tools/fuzz.sh "${ZOR_FUZZ_SECONDS:-10}"

layer "Windows under Wine"
configure_and_build build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release
while read -r program; do tools/check-exe.sh "build/win/bin/$program"; done <build/win/programs.txt
tools/wine-exec.sh --stage build/win bash tools/wine-tests.sh
layer ""
