#!/usr/bin/env bash
# Builds and tests every configuration given (CMake preset names), then
# prints a summary table: configuration, what ran, build, tests passed/total,
# time. Exit status 0 only when every configuration built and passed.
#
# Windows x64 presets run their test binaries under wine (one CTest test per
# binary; the test cases are counted from GoogleTest's reports). Windows x86
# presets build hostsim and the module and check the module's export table:
# this machine has no 32-bit wine. 32-bit Linux presets only build: the
# kernel here cannot run 32-bit programs.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-2}"
declare -A build tests secs what
status=0
gate_start=$(date +%s)
for preset in "$@"; do
  start=$(date +%s)
  log="build/$preset.test-all.log"
  mkdir -p build
  case "$preset" in
    win-c|win-e) what[$preset]="Windows x64, suite under wine" ;;
    win-*)       what[$preset]="Windows x86, build + exports" ;;
    *-m32)       what[$preset]="Linux x86, build only" ;;
    asan)        what[$preset]="Linux x64, ASan+UBSan suite" ;;
    *)           what[$preset]="Linux x64, suite" ;;
  esac
  echo "=== $preset: configure and build"
  if cmake --preset "$preset" >"$log" 2>&1 && cmake --build --preset "$preset" -j "$jobs" >>"$log" 2>&1; then
    build[$preset]=ok
    if [ ! -f "build/$preset/CTestTestfile.cmake" ]; then
      tests[$preset]="-"
    else
      echo "=== $preset: tests"
      rm -rf "build/$preset/wine-reports"
      ctest --preset "$preset" -j "$jobs" 2>&1 | tee -a "$log" | grep -E "tests passed|Failed|\*\*\*|Not Run|wine-test" || true
      line=$(grep -E "tests passed, [0-9]+ tests failed out of" "$log" | tail -1)
      if [ -n "$line" ]; then
        failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
        total=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
        tests[$preset]="$((total - failed))/$total"
        if [ -d "build/$preset/wine-reports" ]; then
          cases=$(cat "build/$preset/wine-reports"/*.xml 2>/dev/null |
                  sed -nE 's/.*<testsuites [^>]*tests="([0-9]+)".*/\1/p' | awk '{ s += $1 } END { print s + 0 }')
          tests[$preset]="${tests[$preset]} (${cases:-0} cases)"
        fi
        [ "$failed" -eq 0 ] || status=1
      else
        tests[$preset]="none"
        status=1
      fi
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
printf '%-9s %-30s %-7s %-22s %s\n' "Preset" "What ran" "Build" "Tests passed" "Seconds"
for preset in "$@"; do
  printf '%-9s %-30s %-7s %-22s %s\n' "$preset" "${what[$preset]}" "${build[$preset]}" "${tests[$preset]}" "${secs[$preset]}"
done
echo "Total: $(( $(date +%s) - gate_start )) seconds"
[ $status -eq 0 ] && echo "All configurations passed." || echo "Some configurations FAILED (logs in build/<preset>.test-all.log)."
exit $status
