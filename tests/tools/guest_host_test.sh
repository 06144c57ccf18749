#!/usr/bin/env bash
# The host facts the emulated machine is built and chosen by (tools/guest/host.sh):
# the Debian mirror read from sample apt sources of either form, and the probe
# that takes the emulated path only when the kernel refuses a 32-bit program.
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

# probe_case NAME EXPECTED_STATUS PROGRAM
probe_case() {
  local status=0
  probe_32bit "$3" --version >/dev/null || status=$?
  check "probe: $1" "$2" "$status"
}
printf 'ZOR\0\0\0\0\n' >"$tmp/refused"
printf '#!/bin/sh\necho "error while loading shared libraries: libwine.so.1" >&2\nexit 127\n' >"$tmp/nolib"
chmod +x "$tmp/refused" "$tmp/nolib"
: >"$tmp/notexec"
probe_case "runs" 0 true
probe_case "refused by the kernel" 2 "$tmp/refused"
probe_case "not installed" 1 "$tmp/missing"
probe_case "a missing library" 1 "$tmp/nolib"
probe_case "not executable (126 too)" 1 "$tmp/notexec"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
