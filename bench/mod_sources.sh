#!/usr/bin/env bash
# kuvamod per source kind: the year of bench/make_mod_year.py (8,760 hours made by repeating the
# sample days) x the 20 x 20 receptor grid x one source of each kind (the sample sources of
# tests/data/aermod-sources), each run with 1 and with 2 threads. Prints wall and CPU time per
# receptor-hour, the CPU ratio to the stack (the step-1 point source, run in the same session as a
# peer on a shared machine) and checks that both thread counts write the same result lines.
# Usage: bench/mod_sources.sh [BUILD_DIR] [KIND...]   (KIND: point pointcap pointhor volume area
# areapoly areacirc line urbanpoly)
# REPEAT=n runs each thread count n times and keeps the best wall and the best CPU time (on a
# machine shared with others); the load average before each kind is printed after its line.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
shift || true
engine=$build/bin/kuvamod
[ -x "$engine" ] || { echo "build kuvamod first: $engine"; exit 1; }
data=$(cd "$here/../tests/data/aermod" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_mod_year.py" "$data" "$work"
rh=$((8760 * 400))

declare -A src=(
  [point]="   LOCATION  MID  POINT  0.0  0.0  0.0
   SRCPARAM  MID  1.0  60.0  450.0  15.0  3.0"
  [pointcap]="   LOCATION  MID  POINTCAP  0.0  0.0  0.0
   SRCPARAM  MID  1.0  30.0  420.0  10.0  1.5"
  [pointhor]="   LOCATION  MID  POINTHOR  0.0  0.0  0.0
   SRCPARAM  MID  1.0  25.0  380.0  8.0  1.2"
  [volume]="   LOCATION  MID  VOLUME  60.0  -40.0  0.0
   SRCPARAM  MID  1.0  15.0  2.33  6.98"
  [area]="   LOCATION  MID  AREA  -100.0  -60.0  0.0
   SRCPARAM  MID  0.00005  0.0  80.0  30.0  25.0"
  [areapoly]="   LOCATION  MID  AREAPOLY  150.0  -150.0  0.0
   SRCPARAM  MID  0.0001  1.0  7  2.0
   AREAVERT  MID  150.00 -150.00  230.00 -150.00  230.00 -60.00
   AREAVERT  MID  190.00 -110.00  150.00 -60.00  120.00 -90.00
   AREAVERT  MID  135.00 -120.00"
  [areacirc]="   LOCATION  MID  AREACIRC  -50.0  200.0  0.0
   SRCPARAM  MID  0.0001  0.0  60.0  24"
  [line]="   LOCATION  MID  LINE  -300.0  -200.0  100.0  -350.0  0.0
   SRCPARAM  MID  0.0002  0.5  8.0  1.0"
  [urbanpoly]="   LOCATION  MID  AREAPOLY  150.0  -150.0  0.0
   SRCPARAM  MID  0.0001  1.0  7  2.0
   AREAVERT  MID  150.00 -150.00  230.00 -150.00  230.00 -60.00
   AREAVERT  MID  190.00 -110.00  150.00 -60.00  120.00 -90.00
   AREAVERT  MID  135.00 -120.00
   URBANSRC  MID"
)
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(point pointcap pointhor volume area areapoly areacirc line urbanpoly)

# deck KIND: the year deck with the source lines of KIND (and the urban option for urbanpoly)
deck() {
  python3 - "$work/year.inp" "$work/$1.inp" "$1" "${src[$1]}" <<'PY'
import sys
year, out, kind, lines = sys.argv[1:]
s = open(year).read()
start = s.index("   LOCATION")
end = s.index("   SRCGROUP")
s = s[:start] + lines + "\n" + s[end:]
if kind.startswith("urban"):
    s = s.replace("   RUNORNOT  RUN", "   URBANOPT  500000\n   RUNORNOT  RUN")
open(out, "w").write(s)
PY
}

repeat=${REPEAT:-1}

# run KIND THREADS: prints "wall cpu" of one run in its own folder (the best of REPEAT runs)
run() {
  local dir=$work/$1-$2 best="" i
  for ((i = 0; i < repeat; i++)); do
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$work/$1.inp" "$dir/"
    ln -sf "$work/year.sfc" "$dir/year.sfc"
    ln -sf "$work/year.pfl" "$dir/year.pfl"
    best="$best $(cd "$dir" && { KUVAMOD_THREADS=$2 /usr/bin/time -f "%e %U %S" "$engine" "$1.inp" \
      > /dev/null; } 2>&1 | tail -1 | awk '{ printf "%s %.2f", $1, $2 + $3 }')"
  done
  echo "$best" | awk '{ w = $1; c = $2; for (i = 3; i < NF; i += 2) { if ($i < w) w = $i;
                        if ($(i + 1) < c) c = $(i + 1) } printf "%s %s", w, c }'
}

peer=""
printf "%-10s %8s %8s %9s %9s %8s %8s %10s %s\n" kind "cpu 1t" "wall 1t" "cpu 2t" "wall 2t" \
  "us cpu/rh" "us wall/rh" "cpu/point" "same output"
for k in "${kinds[@]}"; do
  deck "$k"
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  read -r w1 c1 <<< "$(run "$k" 1)"
  read -r w2 c2 <<< "$(run "$k" 2)"
  [ "$k" = point ] && peer=$c1
  same=no
  cmp -s <(grep -v '^\*' "$work/$k-1/year_mid_01h.pst") <(grep -v '^\*' "$work/$k-2/year_mid_01h.pst") &&
    cmp -s <(grep -v '^\*' "$work/$k-1/year_mid_01h.plt") <(grep -v '^\*' "$work/$k-2/year_mid_01h.plt") &&
    same=yes
  awk -v k="$k" -v w1="$w1" -v c1="$c1" -v w2="$w2" -v c2="$c2" -v rh="$rh" -v p="$peer" -v s="$same" \
    -v l="$load" 'BEGIN { printf "%-10s %8.2f %8.2f %9.2f %9.2f %8.3f %8.3f %10s %-4s (load %s)\n", k,
             c1, w1, c2, w2, c1 / rh * 1e6, w2 / rh * 1e6, (p == "" ? "-" : sprintf("%.2f", c1 / p)),
             s, l }'
  rm -rf "$work/$k-1" "$work/$k-2"
done
