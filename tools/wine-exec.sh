#!/usr/bin/env bash
# Runs a command that runs 32-bit Windows programs under Wine: here, or, where
# this kernel runs no 32-bit programs (wine32 then fails with "Exec format
# error"), inside the emulated x86-64 machine of tools/guest/. ZOR_EMULATE=1
# takes the emulated path on any machine. Says in one line which path it took.
# Usage: wine-exec.sh [--stage DIR]... COMMAND [ARGS...]
#   --stage DIR: what the command runs from DIR is copied onto the emulated
#   machine's own memory first (nothing written there comes back).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "${ZOR_EMULATE:-0}" = 1 ]; then
  echo "Windows layer: in the emulated x86-64 machine (ZOR_EMULATE=1)"
elif /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
  echo "Windows layer: under Wine on this machine"
  while [ "${1:-}" = --stage ]; do shift 2; done
  exec "$@"
else
  echo "Windows layer: in the emulated x86-64 machine (this kernel runs no 32-bit programs)"
fi
bash "$here/install-deps.sh" --guest
exec bash "$here/guest/run.sh" "$@"
