# The Wine environment of every script that runs Windows programs (sourced).
# wine_env PREFIX: that prefix, Wine's debug output off unless asked for, and
# no offer to install Mono or Gecko.
wine_env() {
  export WINEPREFIX=$1 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
}
# wine_stop_at_exit: when this shell exits, the prefix's wine server and every
# Windows program in it stop too.
wine_stop_at_exit() {
  trap 'wineserver -k 2>/dev/null || true' EXIT
}
export -f wine_stop_at_exit
