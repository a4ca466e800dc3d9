#!/usr/bin/env bash
# The programs import only Windows' own DLLs (everything else is linked in statically),
# and the product carries nothing of the emulated drive: it reads no environment.
# Usage: imports.sh OBJDUMP korvello.exe korvello-emulated.exe
set -euo pipefail
objdump=$1 product=$2 emulated=$3
allowed='^(KERNEL32|USER32|GDI32|COMCTL32|SHELL32|ADVAPI32|VERSION|msvcrt)\.dll$'

status=0
for exe in "$product" "$emulated"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  [ -n "$dlls" ] || { echo "FAIL: no imports read from $exe" >&2; status=1; }
  while read -r dll; do
    if ! grep -qiE "$allowed" <<<"$dll"; then
      echo "FAIL: $(basename "$exe") imports $dll" >&2
      status=1
    fi
  done <<<"$dlls"
  echo "$(basename "$exe") imports:" $dlls
done

for word in KORVELLO_DRIVES KORVELLO_DRIVE_LOG; do
  if grep -q "$word" "$product"; then
    echo "FAIL: $(basename "$product") mentions $word" >&2
    status=1
  fi
  grep -q "$word" "$emulated" || { echo "FAIL: $(basename "$emulated") lacks $word" >&2; status=1; }
done
exit $status
