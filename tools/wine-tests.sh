#!/usr/bin/env bash
# Runs the Windows build's tests (build/win) under Wine on an X display, with
# one wine server and its services for the whole run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export WINEPREFIX="$root/build/win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tools/wine-prefix.sh "$WINEPREFIX"
# The server is started apart from the tests' output (ctest would otherwise
# wait for it to close it), and stopped afterwards.
tools/with-display.sh bash -c '
  trap "wineserver -k 2>/dev/null || true" EXIT
  wineserver -p 60 </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  ctest --test-dir build/win --output-on-failure'
