#!/usr/bin/env bash
# Fails, naming the files, when a C++ source of the tree differs from what
# .clang-format makes of it. clang-format-14 is the version make deps installs.
set -uo pipefail
cd "$(dirname "$0")/.."
format=clang-format-14
command -v "$format" >/dev/null || format=clang-format
bad=()
while IFS= read -r f; do
  "$format" --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done < <(git ls-files '*.cpp' '*.h')
if [ ${#bad[@]} -ne 0 ]; then
  echo "These files do not follow .clang-format (run $format -i on them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "Formatting: every C++ file follows .clang-format."
