#!/usr/bin/env bash
# Creates a Wine prefix for the tests once: no crash dialog, no Mono or Gecko.
# With ZOR_PREFIX_DPI set, the prefix is made at that DPI, and its programs
# run on a 1600 x 1200 virtual desktop, whatever the display's size.
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
    if [ -n "${ZOR_PREFIX_DPI:-}" ]; then
      for key in 'HKCU\Control Panel\Desktop' \
        'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        wine reg add "$key" /v LogPixels /t REG_DWORD /d "$ZOR_PREFIX_DPI" /f >/dev/null 2>&1
      done
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1600x1200 /f >/dev/null 2>&1
    fi
    wineserver -w
    touch "$prefix/.zor-ready"
  fi
) 9>"$prefix.lock"
