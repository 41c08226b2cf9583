#!/usr/bin/env bash
# Grid file -> contour lines as a whole job: `kuvacalc-cli contour --geojson` against GDAL's
# gdal_contour on the same 2000 x 2000 Surfer grid (11 levels), run interleaved so both see the
# same machine load. Prints the median wall and CPU (user + system) times and their ratios.
# Usage: bench/contour_job.sh [BUILD_DIR] [RUNS] [GRID_SIZE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-7}
size=${3:-2000}
cli=$build/bin/kuvacalc-cli
command -v gdal_contour >/dev/null || { echo "gdal_contour not installed (Debian gdal-bin)"; exit 1; }
[ -x "$cli" ] || { echo "build kuvacalc-cli first: $cli"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
grid=$work/g.grd
echo "making a ${size} x ${size} grid ..."
python3 "$here/make_grid.py" "$grid" "$size"
levels=0.1,0.2,0.3,0.4,0.5,0.6,0.7,0.8,0.9,1.0,1.1

# One timed run: prints "wall cpu" in seconds.
timed() {
  /usr/bin/time -f "%e %U %S" -o "$work/t" "$@" > /dev/null 2>&1
  awk '{printf "%.3f %.3f\n", $1, $2 + $3}' "$work/t"
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

: > "$work/ours"
: > "$work/gdal"
for ((i = 0; i < runs; i++)); do
  timed "$cli" contour "$grid" --levels "$levels" --geojson >> "$work/ours"
  rm -f "$work/gdal.json"
  timed gdal_contour -q -f GeoJSON -fl ${levels//,/ } "$grid" "$work/gdal.json" >> "$work/gdal"
done
ow=$(cut -d' ' -f1 "$work/ours" | median); oc=$(cut -d' ' -f2 "$work/ours" | median)
gw=$(cut -d' ' -f1 "$work/gdal" | median); gc=$(cut -d' ' -f2 "$work/gdal" | median)
echo "runs: $runs interleaved, grid ${size} x ${size}, $(stat -c %s "$grid") bytes, 11 levels"
printf "kuvacalc-cli contour --geojson: wall %6.3f s  cpu %6.3f s\n" "$ow" "$oc"
printf "gdal_contour -f GeoJSON:        wall %6.3f s  cpu %6.3f s\n" "$gw" "$gc"
awk -v a="$ow" -v b="$gw" -v c="$oc" -v d="$gc" \
  'BEGIN {printf "ratio ours/gdal: wall %.2f  cpu %.2f\n", a / b, c / d}'
