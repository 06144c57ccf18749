#!/usr/bin/env bash
# Installs every Debian package the project needs to build and test.
# Idempotent: quiet and quick when everything is already there.
# Usage: install-deps.sh [--guest]
#   --guest: what builds and runs the emulated machine (tools/guest/) instead.
set -euo pipefail

packages=(
  build-essential cmake make git ca-certificates python3
  libgtest-dev libgmock-dev googletest
  clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 fonts-wine
  xvfb xauth x11-utils imagemagick
  prometheus
)
if [ "${1:-}" = --guest ]; then
  packages=(qemu-system-x86 debootstrap e2fsprogs tar)
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ "${#missing[@]}" -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
