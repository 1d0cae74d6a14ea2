#!/usr/bin/env bash
# Checks that a Windows DLL's export table names exactly the given functions.
#   check-pe-exports.sh <objdump> <file.dll> <name>...
set -euo pipefail
objdump="$1"; file="$2"; shift 2
[ -f "$file" ] || { echo "no such file: $file" >&2; exit 1; }
# The name pointer table lists "[ n] name" lines after its header.
got=$("$objdump" -p "$file" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
      sed -nE 's/^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]+([^[:space:]]+).*/\1/p' | sort)
want=$(printf '%s\n' "$@" | sort)
echo "exports of $(basename "$file"):"; echo "$got" | sed 's/^/  /'
if [ "$got" != "$want" ]; then
  echo "expected exactly:"; echo "$want" | sed 's/^/  /'
  exit 1
fi
