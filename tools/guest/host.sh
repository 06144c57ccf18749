# What the host tells the emulated machine's scripts (sourced): its Debian
# mirror, and whether its kernel runs 32-bit programs.

# Prints the first http(s) mirror that the apt sources under APT_DIR (default
# /etc/apt) name for Debian SUITE, read from the classic one-line form
# (sources.list, sources.list.d/*.list) and the deb822 form
# (sources.list.d/*.sources) alike. Fails, printing nothing, when none does.
# Usage: debian_mirror SUITE [APT_DIR]
debian_mirror() {
  local suite=$1 apt=${2:-/etc/apt} f files=()
  for f in "$apt/sources.list" "$apt"/sources.list.d/*.list "$apt"/sources.list.d/*.sources; do
    [ -f "$f" ] && files+=("$f")
  done
  [ "${#files[@]}" -gt 0 ] || return 1
  awk -v suite="$suite" '
    function has(list, word,   w, n, i) {
      n = split(list, w, " ")
      for (i = 1; i <= n; i++) if (w[i] == word) return 1
      return 0
    }
    function take(uri) {
      if (uri !~ /^https?:\/\//) return
      sub(/\/+$/, "", uri)
      print uri
      found = 1
      exit
    }
    # One deb822 stanza, read into field[].
    function stanza(   u, n, i) {
      if (has(field["types"], "deb") && !has(field["enabled"], "no") && has(field["suites"], suite)) {
        n = split(field["uris"], u, " ")
        for (i = 1; i <= n; i++) take(u[i])
      }
      split("", field)
    }
    FNR == 1 { stanza(); deb822 = FILENAME ~ /\.sources$/ }
    /^[ \t]*#/ { next }
    deb822 && /^[ \t]*$/ { stanza(); next }
    deb822 && /^[ \t]/ { field[key] = field[key] " " $0; next }
    deb822 && /:/ {
      key = tolower(substr($0, 1, index($0, ":") - 1))
      field[key] = substr($0, index($0, ":") + 1)
      next
    }
    deb822 { next }
    {
      sub(/#.*/, "")
      gsub(/\[[^]]*\]/, " ")
      if ($1 == "deb" && $3 == suite) take($2)
    }
    END { if (!found) stanza(); exit !found }
  ' "${files[@]}"
}

# Runs a 32-bit program to see whether this kernel runs 32-bit programs:
# returns 0 when it ran, 2 when the kernel refused it (exit 126 for a
# program that is a 32-bit ELF file; the message is in the user's language),
# and 1 for any other failure (not installed, a missing library), printing
# then one line that says what failed.
# Usage: probe_32bit PROGRAM [ARGS...]
probe_32bit() {
  local out status=0 path class
  out=$("$@" 2>&1 >/dev/null) || status=$?
  [ "$status" -eq 0 ] && return 0
  if [ "$status" -eq 126 ] && path=$(type -P -- "$1"); then
    # The ELF magic and EI_CLASS 1 (32-bit).
    class=$(head -c 5 -- "$path" 2>/dev/null | od -An -tx1 | tr -d ' \n')
    [ "$class" = 7f454c4601 ] && return 2
  fi
  echo "$1 failed (exit $status): $(head -n 1 <<<"${out:-no message}")"
  return 1
}

# Prints the mount points at or below DIR (absolute, resolved, no trailing
# slash: as realpath -m gives it), deepest first, from the kernel's table
# (default /proc/self/mounts) with its octal escapes (a space is \040)
# decoded.
# Usage: mounts_below DIR [MOUNTS]
mounts_below() {
  awk -v d="$1" '
    function decode(s,   out) {
      out = ""
      while (match(s, /\\[0-7][0-7][0-7]/)) {
        out = out substr(s, 1, RSTART - 1) sprintf("%c", oct(substr(s, RSTART + 1, 3)))
        s = substr(s, RSTART + 4)
      }
      return out s
    }
    function oct(t) { return substr(t, 1, 1) * 64 + substr(t, 2, 1) * 8 + substr(t, 3, 1) }
    { m = decode($2); if (m == d || index(m, d "/") == 1) print m }
  ' "${2:-/proc/self/mounts}" | LC_ALL=C sort -r
}

# VALUE as one value of a QEMU option list, where a comma is written twice.
qemu_value() { printf '%s' "${1//,/,,}"; }
