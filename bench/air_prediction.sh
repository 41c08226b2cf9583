#!/usr/bin/env bash
# The further air prediction page's run (headless, the page's own code path) against kuvamod run
# directly on the deck the page exports, on a year of meteorology made by repeating the sample
# days. Exits 3 when the page costs more than kuvamod + 10 %.
# Usage: bench/air_prediction.sh [BUILD_DIR] [REPEATS]
# (configure BUILD_DIR with -DKUVA_BUILD_BENCH=ON and build the target air_prediction_bench)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
bench=$build/bin/air_prediction_bench
[ -x "$bench" ] || { echo "build air_prediction_bench first: $bench"; exit 1; }
data=$(cd "$here/../tests/data/aermod" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_mod_year.py" "$data" "$work"
QT_QPA_PLATFORM=offscreen timeout 3600 "$bench" "$work" "$work" "${2:-2}"
