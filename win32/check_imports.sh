#!/usr/bin/env bash
# Checks that each Windows program imports only DLLs that every Windows 10 installation has:
# the programs are linked statically and shipped without any DLL beside them.
#
#   win32/check_imports.sh PROGRAM.exe...
set -euo pipefail
allowed='^(kernel32|user32|gdi32|gdiplus|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|imm32|msvcrt|ws2_32|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
for program in "$@"; do
  imports=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  if [ -z "$imports" ]; then
    echo "check_imports: no imports read from $program" >&2
    status=1
    continue
  fi
  unexpected=$(grep -vE "$allowed" <<<"$imports" || true)
  if [ -n "$unexpected" ]; then
    echo "check_imports: $program needs DLLs that Windows does not have: $unexpected" >&2
    status=1
  else
    echo "$(basename "$program"): $(tr '\n' ' ' <<<"$imports")"
  fi
done
exit $status
