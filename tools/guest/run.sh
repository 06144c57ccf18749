#!/usr/bin/env bash
# Runs a command of this checkout inside the emulated x86-64 machine (built
# once by build.sh): the checkout is shared at the same path, the directories
# given with --stage are copied onto the guest's own memory first (mounted
# over their place, so that nothing written there comes back), the output is
# streamed here, and the command's exit status is this script's.
# Usage: run.sh [--stage DIR]... COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
stage=()
while [ "${1:-}" = --stage ]; do
  stage+=("$(cd "$2" && pwd)")
  shift 2
done

whole() {
  case $2 in '' | *[!0-9]* | 0*) echo "guest: $1 must be a positive whole number, not '$2'" >&2; exit 2 ;; esac
}
limit=${ZOR_GUEST_TIMEOUT:-3600} memory=${ZOR_GUEST_MEMORY:-6144}
whole ZOR_GUEST_TIMEOUT "$limit"
whole ZOR_GUEST_MEMORY "$memory"
guest=$(bash "$here/build.sh")
. "$here/host.sh"
run=$(mktemp -d)
qemu="" reader=""
# Ends QEMU and the output reader, on every path.
stop() {
  if [ -n "$qemu" ]; then kill "$qemu" 2>/dev/null || true; wait "$qemu" || true; fi
  if [ -n "$reader" ]; then kill "$reader" 2>/dev/null || true; wait "$reader" || true; fi
  rm -rf "$run"
}
trap stop EXIT
# Said, cleaned up (a second signal does not cut that short), then passed on,
# so that the caller stops too.
interrupted() {
  trap '' INT TERM HUP
  echo "guest: stopped by SIG$1; the emulated machine is ended" >&2
  stop
  trap - "$1" EXIT
  kill -s "$1" $$
}
for s in INT TERM HUP; do trap "interrupted $s" "$s"; done

cp "$here/init" "$run/init"
{
  declare -p src stage
  echo "cwd=$(printf %q "$PWD")"
  printf 'cmd=('
  printf '%q ' "$@"
  echo ')'
  export -p | grep -E '^declare -x (CI|ZOR_[A-Z0-9_]*|WINE[A-Z0-9_]*)=' || true
} >"$run/job"
mkfifo "$run/out"
# Held open here too, so that the reader never waits for a QEMU that failed
# to start, and sees the end only once both have closed it.
exec 3<>"$run/out"
cat "$run/out" 3>&- &
reader=$!

shares=()
for s in "zorsrc=$src" "zorrun=$run"; do
  shares+=(-fsdev "local,id=${s%%=*},path=$(qemu_value "${s#*=}"),security_model=none"
    -device "virtio-9p-pci,fsdev=${s%%=*},mount_tag=${s%%=*}")
done
# No KVM here: TCG on both cores. SMAP off (QEMU 7.2's emulated iret trips it
# and kills 32-bit Wine); no mitigations and a trusted TSC make the guest
# kernel far cheaper to emulate. QEMU stays in this script's process group
# (--foreground), so that whatever ends the group ends it too; it runs in the
# background so that this script's traps run at once, not when QEMU ends.
started=$SECONDS
timeout --foreground -k 10 "$limit" qemu-system-x86_64 \
  -accel tcg,thread=multi -smp 2 -m "$memory" -cpu max,la57=off,smap=off \
  -nodefaults -no-user-config -display none -no-reboot \
  -kernel "$guest/vmlinuz" -initrd "$guest/initrd.img" \
  -append "root=/dev/vda rw init=/usr/local/sbin/zor-init console=ttyS0 quiet mitigations=off tsc=reliable panic=-1" \
  -drive "file=$(qemu_value "$guest/root.img"),if=virtio,format=raw,snapshot=on" \
  "${shares[@]}" \
  -device virtio-serial-pci -chardev "file,id=out,path=$(qemu_value "$run/out")" \
  -device virtserialport,chardev=out,name=zor.out \
  -serial "file:$run/console.log" &
qemu=$!
status=0
wait "$qemu" || status=$?
qemu=""
exec 3>&-
wait "$reader" || true
reader=""
# 137 is also QEMU killed by the kernel for want of memory: a time-out only
# when the time was up.
if [ "$status" -eq 124 ] || { [ "$status" -eq 137 ] && [ $((SECONDS - started)) -ge "$limit" ]; }; then
  echo "guest: timed out after $limit s (ZOR_GUEST_TIMEOUT); the end of its console:" >&2
  tail -n 30 "$run/console.log" >&2 || true
  exit 124
fi
if [ "$status" -eq 137 ]; then
  echo "guest: QEMU was killed after $((SECONDS - started)) s, before the $limit s limit, most" \
    "likely for want of memory: try a smaller ZOR_GUEST_MEMORY (now $memory MB)" >&2
  exit 1
fi
if [ ! -s "$run/status" ]; then
  echo "guest: the emulated machine stopped before the command ended (exit $status); its console said:" >&2
  tail -n 30 "$run/console.log" >&2 || true
  exit 1
fi
exit "$(cat "$run/status")"
