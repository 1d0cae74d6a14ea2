#!/usr/bin/env bash
# Rewrites the reference files of the golden test (examples/golden/) from a
# run of the demo's watermarking script on the example plan:
#   examples/rebaseline.sh [BUILD_DIR]      (default build/r19; `make rebaseline`)
# Review the change with `git diff examples/golden` before committing it.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build/r19}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/bin/hostsim" --script "$here/watermark.scr" --registry "$work/registry.reg" \
  --save "$work/watermarked.dxf" --svg "$work/watermarked.svg" "$here/plan.dxf" >"$work/transcript.txt"
cp "$work/watermarked.dxf" "$work/watermarked.svg" "$here/golden/"
rm -f "$here/golden/"*.out
echo "Rewrote examples/golden/watermarked.dxf and watermarked.svg; see git diff examples/golden"
