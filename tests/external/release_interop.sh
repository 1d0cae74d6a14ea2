#!/usr/bin/env bash
# A user who moves between a release 16 build and a release 19 build keeps
# the watermark answers: each build reads what the other stored, with the
# same registry file. Release 16 stores through the registry's 8-bit
# functions, release 19 through the wide ones.
#   release_interop.sh <release-16 hostsim> <release-19 hostsim>
# Exits 77 (skipped) when the release 19 build is not there.
set -uo pipefail
r16="$1"; r19="$2"
[ -x "$r19" ] || { echo "no release 19 build at $r19: skipped"; exit 77; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
reg="$work/registry.reg"
source_lines=$'LINE\n-5,2\n25,12\n\n'
fail=0
run() {  # run <hostsim> <script text> <transcript file>
  printf '%s' "$2" > "$work/script.scr"
  "$1" --registry "$reg" --script "$work/script.scr" > "$3" 2>&1 || { echo "hostsim failed: $1"; cat "$3"; fail=1; }
}
expect() {  # expect <transcript file> <text>
  grep -qF -- "$2" "$1" || { echo "missing in $(basename "$1"): $2"; fail=1; }
}

run "$r16" "${source_lines}WM"$'\n20,10\n100,50\n3\n4\n30\nALL\n\n5\n' "$work/one.txt"
run "$r19" "${source_lines}WM"$'\n20,10\n100,50\n\n\n\nALL\n\n\n' "$work/two.txt"
for t in "Watermark Lines(2--12)[3]: " "Watermark Columns(3--16)[4]: " "Watermark Size(10--90)[30]: " \
         "Watermark Color(0--255)[5]: "; do expect "$work/two.txt" "$t"; done
run "$r19" "${source_lines}WM"$'\n20,10\n100,50\n6\n7\n40\nALL\n\n9\n' "$work/three.txt"
run "$r16" "${source_lines}WM"$'\n20,10\n100,50\n\n\n\nALL\n\n\n' "$work/four.txt"
for t in "Watermark Lines(2--12)[6]: " "Watermark Columns(3--16)[7]: " "Watermark Size(10--90)[40]: " \
         "Watermark Color(0--255)[9]: "; do expect "$work/four.txt" "$t"; done
grep -q '"wmLines"=dword:00000006' "$reg" || { echo "the registry file lost wmLines:"; cat "$reg"; fail=1; }
[ $fail -eq 0 ] && echo "release 16 and release 19 read each other's settings"
exit $fail
