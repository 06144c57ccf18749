#!/usr/bin/env bash
# The host facts the emulated machine is built and chosen by (tools/guest/host.sh):
# the Debian mirror read from sample apt sources of either form, the probe
# that takes the emulated path only when the kernel refuses a 32-bit program
# (in any language), the mounts found below a cache however its path is
# written, and paths made fit for QEMU's option lists.
set -uo pipefail
. "$(dirname "$0")/../../tools/guest/host.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passed=0 failed=0
check() { # NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    echo "FAILED: $1: expected '$2', got '$3'"
  fi
}

# mirror_case NAME EXPECTED [FILE CONTENT]...: CONTENT in printf %b form,
# FILE relative to an apt directory of its own; "" expects no mirror.
n=0
mirror_case() {
  local name=$1 expected=$2 apt=$tmp/apt$((n += 1))
  shift 2
  mkdir -p "$apt/sources.list.d"
  while [ $# -gt 0 ]; do printf '%b' "$2" >"$apt/$1"; shift 2; done
  check "mirror: $name" "$expected" "$(debian_mirror bookworm "$apt" || echo "(none)")"
}
d822='Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n\nTypes: deb\nURIs: http://deb.debian.org/debian-security\nSuites: bookworm-security\nComponents: main\n'
mirror_case "classic, as the installer writes it" http://ftp.de.debian.org/debian \
  sources.list '#deb cdrom:[Debian GNU/Linux 12 _Bookworm_]/ bookworm main\n\ndeb http://security.debian.org/debian-security bookworm-security main\ndeb-src http://ftp.de.debian.org/debian/ bookworm main\ndeb http://ftp.de.debian.org/debian/ bookworm main non-free-firmware\n'
mirror_case "classic with options and a comment" https://mirror.example.org/debian \
  sources.list.d/main.list 'deb [ arch=amd64 signed-by=/k.gpg ] https://mirror.example.org/debian// bookworm main # local\n'
mirror_case "cdrom first, then a mirror" http://m.example/debian \
  sources.list 'deb cdrom:[Debian 12]/ bookworm main\ndeb\thttp://m.example/debian\tbookworm\tmain\n'
mirror_case "deb822" http://deb.debian.org/debian sources.list.d/debian.sources "$d822"
mirror_case "deb822 beside a classic file of other suites" http://deb.debian.org/debian \
  sources.list '# nothing here\n' sources.list.d/cloud.list 'deb https://packages.cloud.google.com/apt cloud-sdk-bookworm main\n' \
  sources.list.d/debian.sources "$d822"
mirror_case "deb822, a disabled stanza and source lines first" http://b.example/debian \
  sources.list.d/x.sources 'Types: deb\nURIs: http://a.example/debian\nSuites: bookworm\nEnabled: no\n\nTypes: deb-src\nURIs: http://c.example/debian\nSuites: bookworm\n\n# ours\ntypes: deb\nuris:\n http://b.example/debian/\nsuites: bookworm'
mirror_case "security and other suites only" "(none)" \
  sources.list 'deb http://security.debian.org/debian-security bookworm-security main\ndeb http://m.example/debian trixie main\n'
mirror_case "no sources at all" "(none)"

# probe_case NAME EXPECTED_STATUS PROGRAM [ENV...]
probe_case() {
  local status=0
  env "${@:4}" bash -c '. "$1"; probe_32bit "$2" --version' _ \
    "$(dirname "$0")/../../tools/guest/host.sh" "$3" >/dev/null || status=$?
  check "probe: $1" "$2" "$status"
}
# ELF headers cut short: this kernel refuses them as it refuses every 32-bit
# program where it runs none.
printf '\177ELF\001\001\001\0\0\0\0\0\0\0\0\0' >"$tmp/refused"
printf '\177ELF\002\001\001\0\0\0\0\0\0\0\0\0' >"$tmp/refused64"
printf '#!/bin/sh\necho "error while loading shared libraries: libwine.so.1" >&2\nexit 127\n' >"$tmp/nolib"
chmod +x "$tmp/refused" "$tmp/refused64" "$tmp/nolib"
: >"$tmp/notexec"
probe_case "runs" 0 true
probe_case "refused by the kernel" 2 "$tmp/refused"
probe_case "refused, said in German" 2 "$tmp/refused" LC_ALL=C.UTF-8 LANGUAGE=de
probe_case "a 64-bit program refused" 1 "$tmp/refused64"
probe_case "not installed" 1 "$tmp/missing"
probe_case "a missing library" 1 "$tmp/nolib"
probe_case "not executable (126 too)" 1 "$tmp/notexec"

# mounts_case NAME CACHE_AS_GIVEN EXPECTED [FROM_DIR]: the build's four mounts and two
# beside them, in the kernel's spelling (a space is \040), under /srv/zor c.
printf '%s\n' 'proc /proc proc rw 0 0' \
  'proc /srv/zor\040c/ab.part/root/proc proc rw 0 0' \
  'sysfs /srv/zor\040c/ab.part/root/sys sysfs rw 0 0' \
  'udev /srv/zor\040c/ab.part/root/dev devtmpfs rw 0 0' \
  'devpts /srv/zor\040c/ab.part/root/dev/pts devpts rw 0 0' \
  'tmpfs /srv/zor\040cc tmpfs rw 0 0' 'tmpfs /srv/zor tmpfs rw 0 0' >"$tmp/mounts"
mkdir -p "$tmp/srv" && ln -s /srv "$tmp/srv/link"
four='/srv/zor c/ab.part/root/sys,/srv/zor c/ab.part/root/proc,/srv/zor c/ab.part/root/dev/pts,/srv/zor c/ab.part/root/dev'
mounts_case() {
  local found
  found=$(cd "${4:-$tmp/srv}" && mounts_below "$(realpath -m -- "$2")" "$tmp/mounts" | paste -sd,)
  check "mounts: $1" "$3" "$found"
}
mounts_case "as written" "/srv/zor c" "$four"
mounts_case "with a trailing slash" "/srv/zor c/" "$four"
mounts_case "relative" "srv/zor c//" "$four" /
mounts_case "through a link" "link/zor c" "$four"
mounts_case "one build's root" "/srv/zor c/ab.part/root/dev/" \
  "/srv/zor c/ab.part/root/dev/pts,/srv/zor c/ab.part/root/dev"
mounts_case "nothing below" "/srv/zor c/cd.part" ""

check "QEMU value: commas doubled" "file=/a,,b,,,,c/root.img" "file=$(qemu_value "/a,b,,c/root.img")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
