#!/usr/bin/env bash
# Builds and tests every configuration given (CMake preset names), then
# prints a summary table and writes it to build/test-summary.tsv (preset, how
# it ran, tests passed, tests run, seconds). Exit status 0 only when every
# configuration built and passed.
#
# How each kind runs its suite:
#   Linux x64 presets      ctest, one CTest test per GoogleTest case
#   Windows x64 (win-c, e) under wine in a 64-bit prefix of the build's own
#   Windows x86 (win-a, b, d, f)  under wine in a 32-bit prefix of its own
#   32-bit Linux (*-m32)   directly where the kernel runs 32-bit programs,
#                          otherwise under qemu-i386 (tools/run-x86.sh)
# Under wine each test program is one CTest test; the summary counts the
# GoogleTest cases from their XML reports. A configuration that this machine
# cannot run is built (and its exports checked) and the table says why its
# suite did not run; that fails the gate only with IRONVEIL_REQUIRE_ALL=1.
#
# Builds and test runs overlap: while one configuration's tests run, the next
# one compiles (tests wait mostly on single processes: wine, fuzzing, hostsim
# runs). Logs: build/<preset>.build.log and build/<preset>.test.log.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-2}"
require_all="${IRONVEIL_REQUIRE_ALL:-0}"
state=build/test-all.state
rm -rf "$state"
mkdir -p "$state"
gate_start=$(date +%s)

# A full run from an empty build/ takes about 5 GB there (most of it the two
# wine prefix templates and the thirteen build trees), and the compiler cache
# grows by up to 2 GB more. A disk that fills up fails builds and tests with
# messages far from the cause, so the cause is said first, and again at the end.
free_mb=$(df -Pm build 2>/dev/null | awk 'NR==2 {print $4}')
need_mb=$((5 * 1024))
if [ -n "$free_mb" ] && [ "$free_mb" -lt "$need_mb" ]; then
  echo "test-all: WARNING: only $free_mb MB free on the disk that holds build/;" \
       "a full run from an empty build/ needs about $need_mb MB" >&2
fi

is_32bit() {
  grep -qs 'CMAKE_CXX_SIZEOF_DATA_PTR "4"' "build/$1"/CMakeFiles/*/CMakeCXXCompiler.cmake
}

# How this machine runs a preset's suite: prints the way, or "none: reason".
way_for() {
  case "$1" in
    win-*)
      local arch=win64
      is_32bit "$1" && arch=win32
      command -v wine >/dev/null || { echo "none: wine is not installed"; return; }
      if [ $arch = win32 ]; then
        # Debian's 32-bit wine loader (package wine32:i386).
        if [ -x /usr/lib/wine/wine ] || command -v wine32 >/dev/null; then echo "wine32"
        else echo "none: no 32-bit wine (Debian: wine32:i386, see make deps)"; fi
      else
        echo "wine64"
      fi ;;
    *)
      if is_32bit "$1"; then
        local how
        how=$(bash tools/run-x86.sh --how)
        case "$how" in
          native) echo "x86 native" ;;
          qemu) echo "x86 qemu-i386" ;;
          *) echo "$how" ;;
        esac
      elif [ "$1" = asan ]; then
        echo "x64 ASan+UBSan"
      else
        echo "x64"
      fi ;;
  esac
}

build_one() {
  local p="$1" start log="build/$1.build.log"
  start=$(date +%s)
  echo "=== $p: configure and build"
  if cmake --preset "$p" >"$log" 2>&1 && cmake --build --preset "$p" -j "$jobs" >>"$log" 2>&1; then
    echo ok >"$state/$p.build"
  else
    echo FAILED >"$state/$p.build"
    echo "=== $p: BUILD FAILED (build/$p.build.log):"
    tail -40 "$log"
  fi
  echo $(( $(date +%s) - start )) >"$state/$p.build-secs"
}

test_one() {
  local p="$1" start log="build/$1.test.log" way junit reports="" ctest_args=()
  start=$(date +%s)
  way=$(way_for "$p")
  : >"$log"
  if [ ! -f "build/$p/CTestTestfile.cmake" ]; then
    echo "none: the build has no tests" >"$state/$p.way"
    echo "0 0" >"$state/$p.counts"
    echo 0 >"$state/$p.test-secs"
    return
  fi
  if [[ "$way" == none:* ]]; then
    # The suite cannot run here; what can be checked without running the
    # build's programs still is (the export table of a Windows module).
    echo "=== $p: suite NOT RUN (${way#none: })"
    echo "$way" >"$state/$p.way"
    echo 0 >"$state/$p.test-secs"
    if [[ "$p" != win-* ]]; then
      echo "0 0" >"$state/$p.counts"
      echo FAILED >"$state/$p.tests"
      return
    fi
    ctest_args=(-L exports)
  else
    echo "=== $p: tests ($way)"
  fi
  junit="$PWD/build/$p/ctest-junit.xml"
  rm -rf "build/$p/wine-reports" "$junit"
  [[ "$way" == wine* ]] && reports="build/$p/wine-reports"
  ctest --preset "$p" -j "$jobs" --output-junit "$junit" "${ctest_args[@]}" >>"$log" 2>&1
  local rc=$?
  grep -E "tests passed|\*\*\*|Not Run|wine-test:|Failed  " "$log" | sed "s/^/  $p: /" || true
  if [ -s "$junit" ]; then
    /usr/bin/python3 tools/count-tests.py "$junit" $reports >"$state/$p.counts" 2>>"$log" || echo "0 1" >"$state/$p.counts"
  else
    echo "0 1" >"$state/$p.counts"
  fi
  local passed run
  read -r passed run <"$state/$p.counts"
  if [ $rc -ne 0 ] || [ "$run" -eq 0 ] || [ "$passed" -ne "$run" ]; then
    echo FAILED >"$state/$p.tests"
  else
    echo ok >"$state/$p.tests"
  fi
  echo "$way" >"$state/$p.way"
  echo $(( $(date +%s) - start )) >"$state/$p.test-secs"
}

# The build lane compiles the presets in order; the test lane follows it.
(
  for p in "$@"; do build_one "$p"; done
) &
build_lane=$!
for p in "$@"; do
  while [ ! -f "$state/$p.build" ]; do
    kill -0 $build_lane 2>/dev/null || break
    sleep 2
  done
  if [ "$(cat "$state/$p.build" 2>/dev/null)" = ok ]; then
    test_one "$p"
  fi
done
wait $build_lane

status=0
all_passed=0 all_run=0 not_run=0
tsv=build/test-summary.tsv
printf 'preset\thow it ran\ttests passed\ttests run\tseconds\n' >"$tsv"
echo
printf '%-8s %-6s %-14s %6s %6s  %s\n' "Preset" "Build" "Passed/run" "Build" "Tests" "How it ran"
for p in "$@"; do
  build=$(cat "$state/$p.build" 2>/dev/null || echo FAILED)
  bsecs=$(cat "$state/$p.build-secs" 2>/dev/null || echo 0)
  tsecs=$(cat "$state/$p.test-secs" 2>/dev/null || echo 0)
  way=$(cat "$state/$p.way" 2>/dev/null || echo "none: not built")
  passed=0 run=0
  [ -f "$state/$p.counts" ] && read -r passed run <"$state/$p.counts"
  result=$(cat "$state/$p.tests" 2>/dev/null || echo FAILED)
  if [ "$build" != ok ]; then
    status=1
    way="not run: the build failed"
  elif [[ "$way" == none:* ]]; then
    way="not run: ${way#none: }"
    not_run=$((not_run + 1))
    [ "$require_all" = 1 ] && status=1
    [ "$result" = FAILED ] && [ "$run" -gt 0 ] && status=1  # the export check failed
  elif [ "$result" != ok ]; then
    status=1
    way="$way, FAILED"
  fi
  printf '%-8s %-6s %-14s %6s %6s  %s\n' "$p" "$build" "$passed/$run" "$bsecs" "$tsecs" "$way"
  printf '%s\t%s\t%s\t%s\t%s\n' "$p" "$way" "$passed" "$run" $((bsecs + tsecs)) >>"$tsv"
  all_passed=$((all_passed + passed)) all_run=$((all_run + run))
done
total=$(( $(date +%s) - gate_start ))
if grep -qs "No space left on device" build/*.log "$state"/* 2>/dev/null ||
   [ "$(df -Pm build 2>/dev/null | awk 'NR==2 {print $4}')" = 0 ]; then
  status=1
  echo "test-all: the disk that holds build/ ran out of space during the run;" \
       "the failures above may be that and nothing else ($(df -Ph build | awk 'NR==2 {print $4}') free now)" >&2
fi
echo "Total: $total seconds (builds and tests overlap; the table gives each one's own seconds)"
echo "Summary written to $tsv"
echo "Tests: $all_passed passed, $((all_run - all_passed)) failed"
if [ $status -eq 0 ] && [ $not_run -eq 0 ]; then
  echo "All configurations ran and passed."
elif [ $status -eq 0 ]; then
  echo "The configurations that ran passed; $not_run could not run here (see the table;" \
       "IRONVEIL_REQUIRE_ALL=1 makes that a failure)."
else
  echo "Some configurations FAILED (logs in build/<preset>.build.log and build/<preset>.test.log)."
fi
exit $status
