#!/usr/bin/env bash
# Runs a Windows test program under wine in the build folder's private prefix.
#   wine-test.sh <build-folder> <win32|win64> --prepare      make the prefix (once)
#   wine-test.sh <build-folder> <win32|win64> <test.exe> [args]
# x86 builds get a 32-bit prefix (this needs Debian's wine32:i386), x64
# builds a 64-bit one. A program that cannot start under wine may still exit
# 0, so a run passes only when GoogleTest's XML report exists and counts
# tests, none failed.
set -uo pipefail
build=$(cd "$1" && pwd) || exit 2; arch="$2"; shift 2
case "$arch" in
  win32|win64) ;;
  *) echo "wine-test: the second argument must be win32 or win64, not $arch" >&2; exit 2 ;;
esac
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH="$arch"
if [ "${1:-}" = "--prepare" ]; then
  # Making a prefix takes wine half a minute and 0.7 GB (1.3 GB for 64-bit),
  # nearly all of it the system DLLs wine copies in. One prefix per
  # architecture is made under the build tree and kept as a template (remade
  # when wine changes); each build folder's own prefix shares the template's
  # DLLs and programs through hard links and gets its own copy of everything
  # else (the registry above all), so no build sees another's settings.
  templates="${IRONVEIL_WINE_TEMPLATES:-$(dirname "$build")/wine-templates}"
  template="$templates/$arch"
  mkdir -p "$templates"
  version=$(wine --version 2>/dev/null)
  (
    flock 9
    if [ ! -f "$template/system.reg" ] || [ "$(cat "$template/.made-by" 2>/dev/null)" != "$version" ]; then
      rm -rf "$template"
      WINEPREFIX="$template" timeout 280 wine cmd /c exit 0 >/dev/null 2>&1
      WINEPREFIX="$template" wineserver -w
      [ -f "$template/system.reg" ] || { echo "wine could not make its prefix in $template" >&2; exit 1; }
      echo "$version" >"$template/.made-by"
    fi
  ) 9>"$templates/$arch.lock" || exit 1
  wineserver -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  if ! cp -al "$template" "$WINEPREFIX" 2>/dev/null; then
    rm -rf "$WINEPREFIX"
    cp -a "$template" "$WINEPREFIX" || { echo "wine-test: cannot copy $template" >&2; exit 1; }
  fi
  # Only files wine never writes stay shared; the rest become the build's own.
  find "$WINEPREFIX" -type f -links +1 ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' \
      -o -iname '*.sys' -o -iname '*.nls' -o -iname '*.acm' -o -iname '*.ocx' -o -iname '*.cpl' \
      -o -iname '*.tlb' -o -iname '*.ax' -o -iname '*.ds' -o -iname '*.ttf' -o -iname '*.fon' \
      -o -iname '*.msstyles' -o -iname '*.mui' -o -iname '*.com' -o -iname '*.vxd' -o -iname '*.dll16' \
      -o -iname '*.exe16' -o -iname '*.drv16' \) -print0 |
    while IFS= read -r -d '' f; do cp -p "$f" "$f.own" && mv -f "$f.own" "$f" || exit 1; done || {
      echo "wine-test: cannot give $WINEPREFIX its own registry" >&2; exit 1; }
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine could not make its prefix in $WINEPREFIX" >&2; exit 1; }
  for reg in system.reg user.reg userdef.reg; do
    if [ -f "$WINEPREFIX/$reg" ] && [ "$(stat -c %h "$WINEPREFIX/$reg")" != 1 ]; then
      echo "wine-test: $WINEPREFIX/$reg is shared with another prefix" >&2; exit 1
    fi
  done
  echo "wine prefix ready: $WINEPREFIX (system files shared with $template)"
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
