#!/usr/bin/env bash
# Checks a built executable (ZOR.exe, zorlog.exe, zormap.exe): at most 150 KB,
# large-address-aware, importing only Windows' own DLLs (a user copies the one
# file and runs it), from them only functions that Windows 2000 has
# (win2000-imports.txt), asking for no OS or subsystem version above 5.0;
# its version resource and manifest.
# Usage: tools/check-exe.sh build/win/bin/ZOR.exe
set -euo pipefail
exe=$1
name=$(basename "$exe")
limit=$((150 * 1024))
size=$(stat -c %s "$exe")
headers=$(i686-w64-mingw32-objdump -p "$exe")
imports=$(grep 'DLL Name:' <<<"$headers" | awk '{print toupper($3)}' | sort | tr '\n' ' ')
status=0
echo "$name: $size bytes (limit $limit); imports: $imports"
if [ "$size" -gt "$limit" ]; then
  echo "$name is larger than $limit bytes: see i686-w64-mingw32-nm --size-sort -S and a -Wl,-Map map"
  status=1
fi
for dll in $imports; do
  case $dll in
    ADVAPI32.DLL | COMCTL32.DLL | COMDLG32.DLL | GDI32.DLL | KERNEL32.DLL | MSVCRT.DLL | PSAPI.DLL | \
      SHELL32.DLL | USER32.DLL) ;;
    *)
      echo "$name imports $dll, which Windows does not ship"
      status=1
      ;;
  esac
done
# "DLL FUNCTION" for each import, from objdump's import tables.
functions=$(awk '/DLL Name:/ { dll = toupper($3); next } dll && /^\t[0-9a-f]+\t/ { print dll, $NF }' \
  <<<"$headers" | sort)
unknown=$(comm -23 <(echo "$functions") <(grep -v '^#' "$(dirname "$0")/win2000-imports.txt" | sort))
if [ -n "$unknown" ]; then
  echo "$name imports functions not known to exist on Windows 2000 (see tools/win2000-imports.txt):"
  echo "$unknown" | sed 's/^/  /'
  status=1
fi
# Windows 2000 is 5.0: an executable that asks for a later OS or subsystem
# version does not start there. A field not found counts as too new.
for field in OSystem:OS Subsystem:subsystem; do
  major=$(sed -n "s/^Major${field%:*}Version[[:space:]]*\([0-9]*\)$/\1/p" <<<"$headers")
  minor=$(sed -n "s/^Minor${field%:*}Version[[:space:]]*\([0-9]*\)$/\1/p" <<<"$headers")
  if [ $((10#${major:-99} * 100 + 10#${minor:-99})) -gt 500 ]; then
    echo "$name asks for ${field#*:} version ${major:-?}.${minor:-?}; Windows 2000 is 5.0"
    status=1
  fi
done
# IMAGE_FILE_LARGE_ADDRESS_AWARE (0x0020) in the file header's characteristics.
chars=$(sed -n 's/^Characteristics *0x\([0-9a-f]*\)$/\1/p' <<<"$headers" | head -1)
if [ $((0x${chars:-0} & 0x20)) -eq 0 ]; then
  echo "$name is not marked large-address-aware"
  status=1
fi
# The version resource and the manifest, as the resource compiler reads them
# back: every program names itself, its version and an asInvoker manifest, a
# GUI program asks for common controls 6. ZOR.exe's version, caption and texts
# stay 1.2 whatever VERSION says; the others carry VERSION and say they scale
# to the system's DPI themselves, which ZOR.exe never says.
resources=$(i686-w64-mingw32-windres -i "$exe" -O rc 2>&1 || true)
version=$(head -1 "$(dirname "$0")/../VERSION").0
expected=()
if [ "$name" = ZOR.exe ]; then
  version=1.2.0.0
  expected=('CAPTION "ZOR 1.2"' '105, "ZOR 1.2"' '127, "Zorvane Version 1.2."'
    'VALUE "FileDescription", "Simple Process Viewer"')
fi
expected+=("FILEVERSION ${version//./, }" "PRODUCTVERSION ${version//./, }"
  "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\""
  'VALUE "ProductName", "Zorvane"' "VALUE \"OriginalFilename\", \"$name\""
  'VALUE "FileDescription", "' 'level=""asInvoker""')
if [ "$name" != ZOR.exe ]; then
  expected+=('>true</dpiAware>')
elif grep -qi dpiAware <<<"$resources"; then
  echo "$name: its manifest speaks of DPI"
  status=1
fi
if grep -q '^Subsystem.*(Windows GUI)' <<<"$headers"; then
  expected+=('name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""')
fi
for text in "${expected[@]}"; do
  if ! grep -qF -- "$text" <<<"$resources"; then
    echo "$name: its resources lack $text"
    status=1
  fi
done
exit $status
