#!/usr/bin/env bash
# The part of bench.sh that runs under Wine: the programs in DIR, measured
# with DIR/wineprefix as the prefix.
# Usage: bench-run.sh DIR SOAK_SECONDS TARGET_REGIONS
set -euo pipefail
tools=$(cd "$(dirname "$0")" && pwd)
out=$1 soak=$2 regions=$3
. "$tools/wine-env.sh"
wine_env "$out/wineprefix"
"$tools/wine-prefix.sh" "$WINEPREFIX"
export out soak regions

run() {
  set -euo pipefail
  wine_stop_at_exit
  cd "$out"
  wineserver -p 60 </dev/null >/dev/null 2>&1
  # Wine's default answer (Windows 7 with 4 GB of address space) is one the
  # tool refuses; as Windows 10 it runs. Every start begins from the defaults.
  wine reg add 'HKCU\Software\Wine\AppDefaults\ZOR.exe' /v Version /d win10 /f >/dev/null 2>&1
  wine reg delete 'HKCU\Software\QuandrilSoftware' /f >/dev/null 2>&1 || true
  here=$(winepath -w "$out" 2>/dev/null | tr -d '\r')

  echo "== Benchmarks of ZOR.exe ($(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(wine --version))"
  echo
  wine zor_bench.exe vsize
  wine zor_bench.exe row
  wine zor_bench.exe row --maps
  wine open_bench.exe
  wine zor_bench.exe map "$here\\zormap.exe"
  wine zor_bench.exe map --panels
  wine zor_bench.exe threads
  wine zor_bench.exe tick
  wine zor_bench.exe fleet --processes 50
  wine zor_bench.exe startup "$here\\ZOR.exe" "ZOR 1.2" "$here\\min_dialog.exe" "ZOR bench dialog"

  # Whether a host process belongs to this prefix (grep reads all its input,
  # so that no early exit fails the pipe).
  inprefix() {
    tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | grep -x "WINEPREFIX=$WINEPREFIX" >/dev/null
  }
  # The host process of a Windows program of this prefix, by its command line.
  hostpid() {
    local p first
    for p in /proc/[0-9]*; do
      IFS= read -r -d '' first <"$p/cmdline" 2>/dev/null || continue
      [ "${first##*[\\/]}" = "$1" ] || continue
      inprefix "${p#/proc/}" || continue
      echo "${p#/proc/}"
      return 0
    done
    return 1
  }
  serverpid() {
    local p
    for p in /proc/[0-9]*; do
      case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
      inprefix "${p#/proc/}" || continue
      echo "${p#/proc/}"
      return 0
    done
    return 1
  }
  # utime + stime in clock ticks, all threads.
  cputicks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
  statusfield() { awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status"; }

  wine benchtarget.exe --reserve $((regions * 64)) --regions "$regions" \
    --lifetime $((soak + 120)) </dev/null >/dev/null 2>&1 &
  sleep 2
  wine ZOR.exe benchtarget.exe </dev/null >/dev/null 2>&1 &
  wine idle_timer.exe </dev/null >/dev/null 2>&1 &
  info=""
  for _ in $(seq 60); do
    info=$(wine zor_bench.exe info 2>/dev/null | tr -d '\r') || true
    case "$info" in *"Process ID: "[0-9]*) break ;; esac
    sleep 1
  done
  case "$info" in *"Process ID: "[0-9]*) ;; *) echo "ZOR.exe did not connect: $info" >&2; exit 1 ;; esac
  sleep 5  # past start-up
  zor=$(hostpid ZOR.exe) idle=$(hostpid idle_timer.exe) target=$(hostpid benchtarget.exe)
  server=$(serverpid)
  hz=$(getconf CLK_TCK)
  memory_start=$(wine zor_bench.exe memory "ZOR 1.2" "ZOR bench idle timer" | tr -d '\r')
  rss_start="$(statusfield "$zor" VmRSS) $(statusfield "$zor" RssAnon)"
  z0=$(cputicks "$zor") i0=$(cputicks "$idle") t0=$(cputicks "$target") s0=$(cputicks "$server")
  sleep "$soak"
  z1=$(cputicks "$zor") i1=$(cputicks "$idle") t1=$(cputicks "$target") s1=$(cputicks "$server")
  info_end=$(wine zor_bench.exe info 2>/dev/null | tr -d '\r')
  memory_end=$(wine zor_bench.exe memory "ZOR 1.2" "ZOR bench idle timer" | tr -d '\r')

  echo "Soak: $soak s of ZOR.exe watching benchtarget.exe ($regions regions reserved, so the"
  echo "once-a-second refresh walks about $((regions + 75)) regions), beside idle_timer.exe, a"
  echo "program that only runs a one-second timer. CPU is utime+stime of each program's"
  echo "wine process from the host's /proc/<pid>/stat, over the same $soak s."
  echo "ZOR.exe shows: $info_end"
  awk -v z=$((z1 - z0)) -v i=$((i1 - i0)) -v t=$((t1 - t0)) -v s=$((s1 - s0)) -v hz="$hz" \
    -v secs="$soak" 'BEGIN {
      printf "%-34s %9.2f s  %6.2f %% of one CPU\n", "ZOR.exe", z / hz, 100 * z / hz / secs
      printf "%-34s %9.2f s  %6.2f %% of one CPU\n", "idle_timer.exe", i / hz, 100 * i / hz / secs
      if (i > 0) printf "%-34s %9.1f\n", "ratio ZOR.exe / idle_timer.exe", z / i
      else printf "%-34s %9s (idle_timer.exe used less than one clock tick)\n", "ratio ZOR.exe / idle_timer.exe", "inf"
      printf "Spent elsewhere for the queries (Wine serves another process'\''s memory queries\n"
      printf "in the wine server and in the target itself):\n"
      printf "%-34s %9.2f s  %6.2f %% of one CPU\n", "benchtarget.exe", t / hz, 100 * t / hz / secs
      printf "%-34s %9.2f s  %6.2f %% of one CPU (shared by all)\n", "wineserver", s / hz, 100 * s / hz / secs
    }'
  echo
  size=$(stat -c %s ZOR.exe)
  echo "Executable: ZOR.exe $size bytes ($((size / 1024)) KB; goal at most 150 KB)"
  echo "Private memory after start-up, counted inside Wine (VirtualQueryEx over the whole"
  echo "address space, committed MEM_PRIVATE regions), at the soak's start and end:"
  echo "$memory_start" | sed 's/^/  start  /'
  echo "$memory_end" | sed 's/^/  end    /'
  set -- $rss_start
  echo "Host view of ZOR.exe's wine process (/proc/<pid>/status) at the soak's start:"
  echo "  VmRSS $1 KB, RssAnon $2 KB; at the end: VmRSS $(statusfield "$zor" VmRSS) KB," \
    "RssAnon $(statusfield "$zor" RssAnon) KB"
  echo "  idle_timer.exe for comparison: VmRSS $(statusfield "$idle" VmRSS) KB," \
    "RssAnon $(statusfield "$idle" RssAnon) KB"

  wine zor_bench.exe close "ZOR 1.2" "ZOR bench idle timer" >/dev/null 2>&1 || true
}
export -f run
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  run
else
  "$tools/with-display.sh" bash -c run
fi
