#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix, creating the prefix
# once (serialised, so parallel tests do not race to create it).
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
prefix=$1
shift
. "$(dirname "$0")/wine-env.sh"
wine_env "$prefix"
"$(dirname "$0")/wine-prefix.sh" "$prefix"
exec wine "$@"
