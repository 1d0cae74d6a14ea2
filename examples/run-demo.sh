#!/usr/bin/env bash
# Runs the demos on a built configuration and shows their transcripts.
#   examples/run-demo.sh [BUILD_DIR]     (default build/r19)
# Each demo is one entry of DEMOS: a title, a script and, optionally, a
# drawing to open; output files go to build/demo/.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build/r19}"
bin="$build/bin"
out="$(cd "$here/.." && pwd)/build/demo"
mkdir -p "$out"
# The demo keeps its own registry so it never touches the user's.
registry="$out/registry.reg"
rm -f "$registry"

module="Ironveil.dll"
[ -f "$bin/Ironveil.arx" ] && [ ! -f "$bin/Ironveil.dll" ] && module="Ironveil.arx"

# title | script | drawing (may be empty) | output name (may be empty)
DEMOS=(
  "The help command, the module's commands, unloading|help-demo.scr||"
)
if [ -f "$here/watermark.scr" ] && [ -f "$here/plan.dxf" ]; then
  DEMOS+=("Watermarking the example plan|watermark.scr|plan.dxf|watermarked")
fi

status=0
for demo in "${DEMOS[@]}"; do
  IFS='|' read -r title script drawing name <<<"$demo"
  echo "=== $title ($script)"
  args=(--script "$here/$script" --registry "$registry")
  if [ -n "$name" ]; then
    args+=(--save "$out/$name.dxf" --svg "$out/$name.svg")
  fi
  [ -n "$drawing" ] && args+=("$here/$drawing")
  # The scripts name the module of release 19; release 16 builds use .arx.
  sed "s/Ironveil\.dll/$module/g" "$here/$script" >"$out/$script"
  args[1]="$out/$script"
  if ! "$bin/hostsim" "${args[@]}"; then
    echo "*** hostsim ended with a non-zero status"
    status=1
  fi
  [ -n "$name" ] && [ -f "$out/$name.dxf" ] && echo "--- wrote $out/$name.dxf and $out/$name.svg"
  echo
done
echo "--- registry after the demos ($registry):"
cat "$registry" 2>/dev/null
exit $status
