#!/usr/bin/env bash
# kuvamod as a whole process (start-up, reading, computing, writing the result files): on each
# sample deck, and on a year of hourly meteorology (8,760 hours made by repeating the sample days)
# x 400 receptors x 1 source. Prints wall and CPU time and both per receptor-hour (on a shared
# machine the CPU time is the steadier figure). The hourly file of the year is about 370 MB.
# Usage: bench/mod_process.sh [BUILD_DIR] [THREADS]   (THREADS is passed as KUVAMOD_THREADS)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
engine=$build/bin/kuvamod
[ -x "$engine" ] || { echo "build kuvamod first: $engine"; exit 1; }
data=$(cd "$here/../tests/data/aermod" && pwd)
[ -n "${2:-}" ] && export KUVAMOD_THREADS=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# run NAME DECK RECEPTOR_HOURS: one timed run in the deck's folder
run() {
  local name=$1 deck=$2 rh=$3 out
  out=$( { /usr/bin/time -f "%e %U %S" "$engine" "$deck" > /dev/null; } 2>&1 | tail -1)
  awk -v n="$name" -v o="$out" -v rh="$rh" 'BEGIN {
    split(o, t, " "); cpu = t[2] + t[3]
    printf "%-10s %8.3f s wall %8.3f s cpu %9d receptor-hours %7.3f us wall %7.3f us cpu per receptor-hour\n",
      n, t[1], cpu, rh, t[1] / rh * 1e6, cpu / rh * 1e6 }'
}

for c in a1_nws a2_tower a3_mast; do
  mkdir -p "$work/$c"
  cp "$data/$c/$c.inp" "$data/$c/$c.sfc" "$data/$c/$c.pfl" "$work/$c/"
  hours=$(($(wc -l < "$data/$c/$c.sfc") - 1))
  run "$c" "$work/$c/$c.inp" $((hours * 79 * 5))
done
mkdir -p "$work/year"
python3 "$here/make_mod_year.py" "$data" "$work/year"
run "year" "$work/year/year.inp" $((8760 * 400))
