#!/usr/bin/env bash
# Runs hostsim with the module under valgrind's memcheck: a whole editing
# session over a watermarked drawing, and WM with the entity name or the
# selection set refused by the host. Fails on any read of memory that was
# never set (which the sanitizer build does not see), on invalid accesses,
# and when a run does not end as it should.
#   memcheck.sh <hostsim> <sources.dxf> <watermark.scr> <work folder>
set -uo pipefail
hostsim="$1" drawing="$2" watermark="$3" work="$4"
command -v valgrind >/dev/null || { echo "valgrind is not installed (make deps installs it)"; exit 1; }
rm -rf "$work"
mkdir -p "$work"
fail=0

# check <name> <expected text in the transcript> <hostsim arguments...>
check() {
  local name="$1" expect="$2"
  shift 2
  valgrind -q --error-exitcode=99 --log-file="$work/$name.valgrind" "$hostsim" --registry "$work/registry.reg" \
    "$@" >"$work/$name.txt" 2>"$work/$name.err"
  local rc=$?
  if [ $rc -ne 0 ] || [ -s "$work/$name.valgrind" ]; then
    echo "FAIL: $name: exit status $rc"
    cat "$work/$name.valgrind" "$work/$name.err"
    fail=1
  elif ! grep -qF -- "$expect" "$work/$name.txt"; then
    echo "FAIL: $name: the transcript lacks \"$expect\""
    tail -20 "$work/$name.txt"
    fail=1
  else
    echo "ok: $name"
  fi
}

# A session: watermarks made, refused erasure, copy, move, scale, undo and
# redo (with a transparent command inside UNDO), write-block of a drawing
# whose layers are all locked, insert of the written drawing, LIST, save.
{
  cat "$watermark"
  printf '%s\n' ERASE ALL '' COPY 'W -1,-1 200,200' '' 0,0 300,0 MOVE 'W -1,-1 200,200' '' 0,0 10,10 \
    SCALE 'W 0,0 700,700' '' 0,0 2 U U REDO UNDO "'SETVAR" CLAYER 0 2 -LAYER LO '*' '' \
    -WBLOCK "$work/written.dxf" '*' -INSERT "$work/written.dxf" 500,500 1 1 0 LIST ALL '' QUIT
} >"$work/session.scr"
check session "6 objects were not erased." --script "$work/session.scr" --save "$work/saved.dxf" "$drawing"

# WM when the host gives no name for the new watermark, or no set holding it.
for fault in acdbGetAdsName acedSSAdd; do
  printf '%s\n' LINE -5,2 25,12 '' "HSFAULT $fault 3" WM 20,10 100,50 4 5 50 ALL '' '' QUIT >"$work/$fault.scr"
  check "wm-without-$fault" "Watermark Color" --script "$work/$fault.scr"
done
exit $fail
