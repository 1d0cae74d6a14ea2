#!/usr/bin/env bash
# Opens every DXF file hostsim wrote in the ezdxf check (listed in
# outputs.txt of its work folder) with LibreCAD and turns it into a PDF;
# fails when LibreCAD cannot.
set -uo pipefail
work="$1"
if ! command -v librecad >/dev/null; then
  echo "FAIL: librecad is not installed (make deps installs it)"
  exit 1
fi
if [ ! -s "$work/outputs.txt" ]; then
  echo "FAIL: no files from the ezdxf check in $work"
  exit 1
fi
status=0
count=0
while read -r dxf; do
  [ -n "$dxf" ] || continue
  pdf="${dxf%.dxf}.pdf"
  rm -f "$pdf"
  out=$(cd "$(dirname "$dxf")" && QT_QPA_PLATFORM=offscreen timeout 60 librecad dxf2pdf -o "$pdf" "$dxf" 2>&1)
  rc=$?
  if [ $rc -ne 0 ] || [ ! -s "$pdf" ]; then
    echo "FAIL: LibreCAD could not open $dxf (exit $rc)"
    echo "$out" | tail -5
    status=1
  else
    echo "LibreCAD opened $(basename "$dxf")"
    count=$((count + 1))
  fi
done < "$work/outputs.txt"
echo "$count file(s) opened"
exit $status
