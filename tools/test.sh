#!/usr/bin/env bash
# Sets up the machine and runs every test: the logic natively, again with
# AddressSanitizer and UndefinedBehaviorSanitizer, fuzzed briefly with
# libFuzzer, the release zip built twice in two folders (the same bytes), and
# the Windows build (unit, binding and end-to-end tests) under Wine, in an
# emulated machine where this kernel runs no 32-bit programs
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

layer "Windows build"
configure_and_build build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release

layer "release: the zip from this build, and again from a clean build elsewhere, the same bytes"
# The second build runs from a copy of the sources in a folder of another
# name, into another build folder, later, under another time zone, umask and
# locale; none of them may reach the programs or the zip. The copy has no
# git history: it takes the first build's time stamp.
tools/release.sh build/win build/dist-a
copy="$root/build/source copy, b"
rm -rf build/release-b build/unzipped "$copy"
mkdir -p "$copy"
tar -c --exclude=./build --exclude=./.git --exclude=./dist . | tar -x -C "$copy"
(cd "$copy" && umask 077 && TZ=UTC-14 LC_ALL=C.UTF-8 LANGUAGE=de \
  SOURCE_DATE_EPOCH=$(cat "$root/build/win/source-date-epoch") \
  tools/release.sh "$root/build/release-b" "$root/build/dist-b")
rm -rf "$copy"
while read -r program; do cmp "build/win/bin/$program" "build/release-b/bin/$program"; done \
  <build/win/programs.txt
zip=zorvane-$(head -1 VERSION).zip
cmp "build/dist-a/$zip" "build/dist-b/$zip"
python3 -m zipfile -e "build/dist-a/$zip" build/unzipped
(cd build/unzipped && sha256sum --check --quiet SHA256SUMS)
listed=$(cd build/unzipped && printf '%s\n' * | sort)
if [ "$listed" != "$(sort <(printf '%s\n' README.txt SHA256SUMS) build/win/programs.txt)" ]; then
  echo "the zip holds ${listed//$'\n'/ } instead of the programs, README.txt and SHA256SUMS"
  exit 1
fi

layer "Windows under Wine"
tools/wine-exec.sh --stage build/win bash tools/wine-tests.sh
layer ""
