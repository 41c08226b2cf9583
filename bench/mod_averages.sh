#!/usr/bin/env bash
# What the averaging adds to a kuvamod run: a year of hourly meteorology (8,760 hours) x 400
# receptors x 5 point sources, once with AVERTIME 1 and its highest values only, once with
# AVERTIME 1 24 PERIOD, RECTABLE, MAXTABLE and PLOTFILEs of every period. The two runs alternate
# (on a shared machine the load changes between them) and the ratio of the medians is printed,
# with the peak memory of each.
# Usage: bench/mod_averages.sh [BUILD_DIR] [REPEATS]   (one thread: KUVAMOD_THREADS=1)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
repeats=${2:-3}
engine=$build/bin/kuvamod
[ -x "$engine" ] || { echo "build kuvamod first: $engine"; exit 1; }
data=$(cd "$here/../tests/data/aermod-averages/y1_year" && pwd)
export KUVAMOD_THREADS=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$data/y1_year.sfc" "$data/y1_year.pfl" "$work/"

# deck NAME AVERTIME OUTPUT-CARDS...
deck() {
  local name=$1 avertime=$2
  shift 2
  {
    printf 'CO STARTING\n   TITLEONE  bench %s\n   MODELOPT  CONC  FLAT\n' "$name"
    printf '   AVERTIME  %s\n   POLLUTID  OTHER\n   RUNORNOT  RUN\nCO FINISHED\n' "$avertime"
    printf 'SO STARTING\n'
    local i
    for i in 1 2 3 4 5; do
      printf '   LOCATION  S%d  POINT  %d.0  %d.0  0.0\n' $i $((i * 150 - 450)) $((i * 90 - 270))
      printf '   SRCPARAM  S%d  %d.0  %d.0  420.0  12.0  2.0\n' $i $((i + 1)) $((30 + i * 15))
    done
    printf '   SRCGROUP  ALL\nSO FINISHED\n'
    printf 'RE STARTING\n   GRIDCART  G  STA\n   GRIDCART  G  XYINC  -4750.0 20 500.0  -4750.0 20 500.0\n'
    printf '   GRIDCART  G  END\nRE FINISHED\n'
    printf 'ME STARTING\n   SURFFILE  y1_year.sfc\n   PROFFILE  y1_year.pfl\n'
    printf '   SURFDATA  97202  2023\n   UAIRDATA  97201  2023\n   PROFBASE  0.0  METERS\nME FINISHED\n'
    printf 'OU STARTING\n   FILEFORM  EXP\n'
    local card
    for card in "$@"; do printf '   %s\n' "$card"; done
    printf 'OU FINISHED\n'
  } > "$work/$name.inp"
}

deck one "1" "RECTABLE  1  FIRST" "PLOTFILE  1  ALL  FIRST  one_01h.plt"
deck avg "1 24 PERIOD" "RECTABLE  ALLAVE  1-8" "MAXTABLE  ALLAVE  50" \
  "PLOTFILE  1  ALL  FIRST  avg_01h.plt" "PLOTFILE  24  ALL  FIRST  avg_24h_1st.plt" \
  "PLOTFILE  24  ALL  8TH  avg_24h_8th.plt" "PLOTFILE  PERIOD  ALL  avg_per.plt"

# run NAME: prints "cpu-seconds wall-seconds peak-kB"
run() {
  { /usr/bin/time -f "%U %S %e %M" "$engine" "$work/$1.inp" > /dev/null; } 2>&1 | tail -1 |
    awk '{ printf "%.3f %.3f %d\n", $1 + $2, $3, $4 }'
}

: > "$work/one.t"
: > "$work/avg.t"
for ((i = 0; i < repeats; ++i)); do
  run one >> "$work/one.t"
  run avg >> "$work/avg.t"
done
median() { sort -n -k"$2" "$1" | awk -v k="$2" '{ v[NR] = $k } END { print v[int((NR + 1) / 2)] }'; }
one_cpu=$(median "$work/one.t" 1) avg_cpu=$(median "$work/avg.t" 1)
one_wall=$(median "$work/one.t" 2) avg_wall=$(median "$work/avg.t" 2)
one_mem=$(median "$work/one.t" 3) avg_mem=$(median "$work/avg.t" 3)
awk -v a="$one_cpu" -v b="$avg_cpu" -v c="$one_wall" -v d="$avg_wall" -v m="$one_mem" -v n="$avg_mem" 'BEGIN {
  printf "1-hour run              %7.2f s cpu %7.2f s wall %7d kB peak\n", a, c, m
  printf "1 24 PERIOD + tables    %7.2f s cpu %7.2f s wall %7d kB peak\n", b, d, n
  printf "averaging adds          %+6.1f %% cpu %+6.1f %% wall\n", (b / a - 1) * 100, (d / c - 1) * 100 }'
