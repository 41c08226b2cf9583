#!/usr/bin/env bash
# kuvascreen as the pages use it: one whole process per run (start-up, dialogue, report files),
# timed beside /bin/true, the cost of a bare process start on the same machine.
# Uses hyperfine (Debian package hyperfine, a developer tool only) when installed, otherwise a
# shell loop. Usage: bench/engine_process.sh [BUILD_DIR] [RUNS] [SAMPLE ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-300}
shift $(($# > 2 ? 2 : $#))
build=$(cd "$build" && pwd)
engine=$build/bin/kuvascreen
[ -x "$engine" ] || { echo "build kuvascreen first: $engine"; exit 1; }
data=$(cd "$here/../tests/data/screen3" && pwd)
samples=("$@")
[ ${#samples[@]} -gt 0 ] || samples=($(ls "$data"))

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"  # SCREEN.OUT and SCREEN.DAT land here

# "wall cpu": mean wall time and mean CPU time (user + system) in ms of a command given as
# words. On a busy machine the CPU time is the steadier figure.
mean_ms() {
  if command -v hyperfine > /dev/null; then
    # the pages run each exchange in a fresh directory: no report files to truncate
    hyperfine -N -w 20 -r "$runs" --prepare "rm -f $work/SCREEN.OUT $work/SCREEN.DAT" \
      --export-json "$work/h.json" "$*" > /dev/null 2>&1
    python3 -c 'import json,sys; r = json.load(open(sys.argv[1]))["results"][0]
print("%.3f %.3f" % (r["mean"] * 1e3, (r["user"] + r["system"]) * 1e3))' "$work/h.json"
  else
    local t0 t1
    t0=$(date +%s%N)
    for ((i = 0; i < runs; i++)); do
      rm -f SCREEN.OUT SCREEN.DAT
      "$@" > /dev/null 2>&1 || true
    done
    t1=$(date +%s%N)
    awk -v a="$t0" -v b="$t1" -v n="$runs" 'BEGIN {printf "%.3f nan\n", (b - a) / n / 1e6}'
  fi
}

echo "mean of $runs runs, ms; /bin/true measured just before and after each sample"
printf "%-32s %8s %8s %8s | %8s %8s %8s\n" "sample" "wall" "true" "above" "cpu" "true" "above"
for s in "${samples[@]}"; do
  inp=$data/$s/screen3.inp
  [ -f "$inp" ] || continue
  base=$(mean_ms /bin/true)
  ours=$(mean_ms "$engine" "<$inp")
  base2=$(mean_ms /bin/true)
  awk -v s="$s" -v o="$ours" -v a="$base" -v b="$base2" 'BEGIN {
    split(o, O, " "); split(a, A, " "); split(b, B, " ")
    tw = (A[1] + B[1]) / 2; tc = (A[2] + B[2]) / 2
    printf "%-32s %8.3f %8.3f %8.3f | %8.3f %8.3f %8.3f\n", s, O[1], tw, O[1] - tw, O[2], tc, O[2] - tc
  }'
done
