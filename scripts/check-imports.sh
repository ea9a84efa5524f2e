#!/usr/bin/env bash
# Fails when a binary imports a DLL that does not ship with Windows (such as the
# mingw C or C++ runtime, or winpthread).
set -u
allowed='^(kernel32|user32|gdi32|advapi32|comdlg32|shell32|ole32|oleaut32|psapi|msvcrt|ws2_32|shlwapi|comctl32|version)\.dll$|^api-ms-win-'
status=0
for bin in "$@"; do
  [ -n "$bin" ] || continue
  dlls=$(x86_64-w64-mingw32-objdump -p "$bin" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "$bin: no imports found"; status=1; }
  for d in $dlls; do
    if ! echo "$d" | grep -Eq "$allowed"; then
      echo "$bin imports $d, which is not a system DLL"
      status=1
    fi
  done
  echo "$bin imports: $(echo $dlls)"
done
exit $status
