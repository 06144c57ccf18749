#!/usr/bin/env bash
# Runs a command that runs 32-bit Windows programs under Wine: here, or, where
# this kernel runs no 32-bit programs (wine32 then fails with "Exec format
# error"), inside the emulated x86-64 machine of tools/guest/. ZOR_EMULATE=1
# takes the emulated path on any machine. Says in one line which path it took;
# any other failure of wine32 ends it with what failed.
# Usage: wine-exec.sh [--stage DIR]... COMMAND [ARGS...]
#   --stage DIR: what the command runs from DIR is copied onto the emulated
#   machine's own memory first (nothing written there comes back).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/guest/host.sh"
if [ "${ZOR_EMULATE:-0}" = 1 ]; then
  echo "Windows layer: in the emulated x86-64 machine (ZOR_EMULATE=1)"
else
  status=0
  why=$(probe_32bit /usr/lib/wine/wineserver32 --version) || status=$?
  case $status in
    0)
      echo "Windows layer: under Wine on this machine"
      while [ "${1:-}" = --stage ]; do shift 2; done
      exec "$@"
      ;;
    2) echo "Windows layer: in the emulated x86-64 machine (this kernel runs no 32-bit programs)" ;;
    *)
      echo "Windows layer: wine32 does not run here: $why" >&2
      exit 1
      ;;
  esac
fi
bash "$here/install-deps.sh" --guest
exec bash "$here/guest/run.sh" "$@"
