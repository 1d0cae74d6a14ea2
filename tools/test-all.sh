#!/usr/bin/env bash
# Builds and tests every configuration given, then prints a summary table.
set -uo pipefail
jobs=$(nproc)
declare -A result
status=0
for preset in "$@"; do
  if cmake --preset "$preset" && cmake --build --preset "$preset" -j "$jobs" && ctest --preset "$preset" -j "$jobs"; then
    result[$preset]=passed
  else
    result[$preset]=FAILED
    status=1
  fi
done
echo
echo "Configuration   Result"
for preset in "$@"; do
  printf '%-15s %s\n' "$preset" "${result[$preset]}"
done
exit $status
