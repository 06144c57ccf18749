#!/usr/bin/env bash
# Checks the built ZOR.exe: at most 150 KB, large-address-aware, importing
# only Windows' own DLLs (a user copies the one file and runs it).
# Usage: tools/check-exe.sh build/win/bin/ZOR.exe
set -euo pipefail
exe=$1
limit=$((150 * 1024))
size=$(stat -c %s "$exe")
headers=$(i686-w64-mingw32-objdump -p "$exe")
imports=$(grep 'DLL Name:' <<<"$headers" | awk '{print toupper($3)}' | sort | tr '\n' ' ')
status=0
echo "ZOR.exe: $size bytes (limit $limit); imports: $imports"
if [ "$size" -gt "$limit" ]; then
  echo "ZOR.exe is larger than $limit bytes: see i686-w64-mingw32-nm --size-sort -S and a -Wl,-Map map"
  status=1
fi
for dll in $imports; do
  case $dll in
    ADVAPI32.DLL | COMCTL32.DLL | GDI32.DLL | KERNEL32.DLL | MSVCRT.DLL | PSAPI.DLL | \
      SHELL32.DLL | USER32.DLL) ;;
    *)
      echo "ZOR.exe imports $dll, which Windows does not ship"
      status=1
      ;;
  esac
done
# IMAGE_FILE_LARGE_ADDRESS_AWARE (0x0020) in the file header's characteristics.
chars=$(sed -n 's/^Characteristics *0x\([0-9a-f]*\)$/\1/p' <<<"$headers" | head -1)
if [ $((0x${chars:-0} & 0x20)) -eq 0 ]; then
  echo "ZOR.exe is not marked large-address-aware"
  status=1
fi
exit $status
