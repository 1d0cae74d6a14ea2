#!/usr/bin/env bash
# Runs a libFuzzer target on a copy of its seed corpus with a fixed seed and a
# bounded number of runs, capped in time: every run of the tests walks the same
# inputs (or a prefix of them on a slow machine), so the gate does not depend
# on luck. Free-running fuzzing is `FUZZ_SEED=0 FUZZ_RUNS=-1` with a longer time.
# A crash fails the test; the crashing input is left in the work folder and
# should be added to tests/fuzz/regressions/ as a regression test.
set -uo pipefail
target="$1" seeds="$2" work="$3" seconds="$4"
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp "$seeds"/* "$work/corpus/" 2>/dev/null || true
"$target" -seed="${FUZZ_SEED:-1}" -runs="${FUZZ_RUNS:-20000}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus" > "$work/fuzz.log" 2>&1
rc=$?
tail -20 "$work/fuzz.log"
if [ $rc -ne 0 ]; then
  echo "FAIL: $(basename "$target") found a problem; inputs in $work/artifacts:"
  ls "$work/artifacts"
fi
exit $rc
