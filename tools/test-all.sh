#!/usr/bin/env bash
# Builds and tests every configuration given (CMake preset names), then
# prints a summary table: configuration, build, tests passed/total, time.
# Exit status 0 only when every configuration built and passed.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-2}"
declare -A build tests secs
status=0
for preset in "$@"; do
  start=$(date +%s)
  log="build/$preset.test-all.log"
  mkdir -p build
  echo "=== $preset: configure and build"
  if cmake --preset "$preset" >"$log" 2>&1 && cmake --build --preset "$preset" -j "$jobs" >>"$log" 2>&1; then
    build[$preset]=ok
    echo "=== $preset: tests"
    ctest --preset "$preset" -j "$jobs" 2>&1 | tee -a "$log" | grep -E "tests passed|Failed|\*\*\*|Not Run" || true
    line=$(grep -E "tests passed, [0-9]+ tests failed out of" "$log" | tail -1)
    if [ -n "$line" ]; then
      failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
      total=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
      tests[$preset]="$((total - failed))/$total"
      [ "$failed" -eq 0 ] || status=1
    else
      tests[$preset]="none"
      status=1
    fi
  else
    build[$preset]=FAILED
    tests[$preset]="-"
    status=1
    tail -40 "$log"
  fi
  secs[$preset]=$(( $(date +%s) - start ))
done
echo
printf '%-14s %-7s %-14s %s\n' "Configuration" "Build" "Tests passed" "Seconds"
for preset in "$@"; do
  printf '%-14s %-7s %-14s %s\n' "$preset" "${build[$preset]}" "${tests[$preset]}" "${secs[$preset]}"
done
[ $status -eq 0 ] && echo "All configurations passed." || echo "Some configurations FAILED (logs in build/<preset>.test-all.log)."
exit $status
