#!/usr/bin/env bash
# Shows ZOR.exe and zormap.exe watching testtarget.exe grow, all in DIR (whose Wine prefix
# is DIR/wineprefix): on the current display when there is one, otherwise on
# a private Xvfb; either way it leaves a screenshot at SHOT.
# Usage: demo-show.sh DIR SHOT SECONDS
set -euo pipefail
tools=$(cd "$(dirname "$0")" && pwd)
dir=$1 shot=$2 seconds=$3
. "$tools/wine-env.sh"
wine_env "$dir/wineprefix"
"$tools/wine-prefix.sh" "$WINEPREFIX"
# Wine's default answer (Windows 7 with a 4 GB address space) is one the tool
# refuses, as on 64-bit Windows 7; as Windows 10 it runs.
wine reg add 'HKCU\Software\Wine\AppDefaults\ZOR.exe' /v Version /d win10 /f >/dev/null 2>&1

run() {
  wine_stop_at_exit
  cd "$dir"
  # Both wait for testtarget.exe, which then grows by 32 MB every half
  # second. Under Wine every process starts with about 3 GB of address space
  # reserved by Wine itself, so the gauge climbs from yellow into the red and
  # the map's largest usable block shrinks until its warning comes on.
  # Every call names the desktop's size: whichever comes first creates it.
  # Each window is waited for (visible and answering), not timed, and placed
  # so that both show side by side however slow the machine.
  local desktop=Zorvane,1024x768
  wine explorer /desktop=$desktop ZOR.exe testtarget.exe >/dev/null 2>&1 &
  wine waitwindow.exe Zorvane 120 '#32770' 'ZOR 1.2' 8 8 ||
    { echo "ZOR.exe's window did not appear" >&2; return 1; }
  wine explorer /desktop=$desktop zormap.exe testtarget.exe >/dev/null 2>&1 &
  wine waitwindow.exe Zorvane 120 ZorMapWindow - right-of '#32770' ||
    { echo "zormap.exe's window did not appear" >&2; return 1; }
  # It first starts 16 threads of 4 MB stacks: a row of the map in the
  # stacks' colour, grouped among the largest allocations.
  printf 'threads 16 4096\n' | wine testtarget.exe --grow 32768 --every 500 --steps 30 \
    --lifetime "$seconds" >/dev/null 2>&1 &
  sleep "$((seconds < 10 ? seconds : 10))"
  import -window root "$shot"
  echo "Screenshot: $shot"
  [ "$seconds" -gt 10 ] && sleep $((seconds - 10))
  true
}
export -f run
export dir shot seconds
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  run
else
  "$tools/with-display.sh" bash -c run
fi
