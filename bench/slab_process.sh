#!/usr/bin/env bash
# kuvaslab as a whole process (start-up, reading the deck, computing, writing the listing through
# the atomic writer) on each sample deck: the best of five wall times.
# Usage: bench/slab_process.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
engine=$build/bin/kuvaslab
[ -x "$engine" ] || { echo "build kuvaslab first: $engine"; exit 1; }
data=$(cd "$here/../tests/data/slab" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for d in "$data"/*/; do
  name=$(basename "$d")
  best=""
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$engine" "$d/input" "$work/$name.txt"
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  awk -v n="$name" -v us="$best" 'BEGIN { printf "%-28s %7.1f ms wall (best of 5)\n", n, us / 1000 }'
done
