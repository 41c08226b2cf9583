#!/usr/bin/env bash
# Fails when a C++ source under src/, tests/ or bench/ differs from what clang-format makes of it.
# With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/kuva-format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/kuva-format.$$ | cut -d: -f1 | sort -u | sed 's/^/needs formatting: /'
  rm -f /tmp/kuva-format.$$
  echo "Run scripts/check_format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/kuva-format.$$
