#!/usr/bin/env bash
# Runs the Windows build's tests (build/win) under Wine on an X display, with
# one wine server and its services for the whole run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/wine-env.sh
wine_env "$root/build/win/wineprefix"
tools/wine-prefix.sh "$WINEPREFIX"
# The server is started apart from the tests' output (ctest would otherwise
# wait for it to close it), and stopped afterwards.
tools/with-display.sh bash -c '
  wine_stop_at_exit
  wineserver -p 60 </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  ctest --test-dir build/win --output-on-failure'
