#!/usr/bin/env bash
# Creates a Wine prefix for the tests once: no crash dialog, no Mono or Gecko.
# Usage: wine-prefix.sh PREFIX
set -euo pipefail
prefix=$1
[ -f "$prefix/.zor-ready" ] && exit 0
mkdir -p "$prefix"
. "$(dirname "$0")/wine-env.sh"
wine_env "$prefix"
(
  flock 9
  if [ ! -f "$prefix/.zor-ready" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.zor-ready"
  fi
) 9>"$prefix.lock"
