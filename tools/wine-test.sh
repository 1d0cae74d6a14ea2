#!/usr/bin/env bash
# Runs a Windows test program under wine in the build folder's private prefix.
#   wine-test.sh <build-folder> <win32|win64> --prepare      make the prefix (once)
#   wine-test.sh <build-folder> <win32|win64> <test.exe> [args]
# x86 builds get a 32-bit prefix (this needs Debian's wine32:i386), x64
# builds a 64-bit one. A program that cannot start under wine may still exit
# 0, so a run passes only when GoogleTest's XML report exists and counts
# tests, none failed.
set -uo pipefail
build="$1"; arch="$2"; shift 2
case "$arch" in
  win32|win64) ;;
  *) echo "wine-test: the second argument must be win32 or win64, not $arch" >&2; exit 2 ;;
esac
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH="$arch"
if [ "${1:-}" = "--prepare" ]; then
  rm -rf "$WINEPREFIX"
  timeout 280 wine cmd /c exit 0 >/dev/null 2>&1
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine could not make its prefix in $WINEPREFIX" >&2; exit 1; }
  echo "wine prefix ready: $WINEPREFIX"
  exit 0
fi
exe="$1"; shift
report="$build/wine-reports/$(basename "$exe" .exe).xml"
mkdir -p "$(dirname "$report")"
rm -f "$report"
wine "$exe" --gtest_output="xml:Z:$report" "$@"
rc=$?
if [ ! -s "$report" ]; then
  echo "wine-test: $(basename "$exe") wrote no test report (exit $rc): it did not run" >&2
  exit 1
fi
# wine may hand the exit status back before the program's last writes reach
# the file: the counts are read again for a few seconds before giving up.
for _ in $(seq 1 20); do
  tests=$(sed -nE '0,/<testsuites /s/.*<testsuites [^>]*tests="([0-9]+)".*/\1/p' "$report")
  failures=$(sed -nE '0,/<testsuites /s/.*<testsuites [^>]*failures="([0-9]+)".*/\1/p' "$report")
  errors=$(sed -nE '0,/<testsuites /s/.*<testsuites [^>]*errors="([0-9]+)".*/\1/p' "$report")
  [ -n "$tests" ] && [ -n "$failures" ] && [ -n "$errors" ] && break
  sleep 0.5
done
if [ -z "$tests" ]; then
  echo "wine-test: $(basename "$exe"): the report holds no test counts; its start:" >&2
  head -c 400 "$report" >&2
  echo >&2
fi
echo "wine-test: $(basename "$exe"): ${tests:-?} tests, ${failures:-?} failures, ${errors:-?} errors, exit $rc"
[ "${tests:-0}" -gt 0 ] && [ "${failures:-1}" -eq 0 ] && [ "${errors:-1}" -eq 0 ] && [ $rc -eq 0 ]
