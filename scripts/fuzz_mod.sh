#!/usr/bin/env bash
# Fuzz kuvamod's deck and meteorology readers and the hourly calculation with libFuzzer.
# Usage: scripts/fuzz_mod.sh [seconds]   (default 30)
# Builds in its own directory (build-fuzz-mod in the repository, or $FUZZ_BUILD_DIR), seeds the
# corpus with small runs made from the sample decks and meteorology, and runs for the given time.
# An input is a deck, a form feed, a surface file, a form feed and a profile file.
set -euo pipefail

SECONDS_TO_RUN="${1:-30}"
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${FUZZ_BUILD_DIR:-$REPO/build-fuzz-mod}"
SAMPLES="$REPO/tests/data/aermod"
# shellcheck source=scripts/fuzz_common.sh
source "$REPO/scripts/fuzz_common.sh"
build_fuzzer "$REPO/src/mod" "$REPO/tests/mod/fuzz/deck_fuzzer.cpp" "$BUILD/deck_fuzzer" \
  "$REPO/src/core/file_io.cpp"

# Seeds: one source, a few receptors, the first hours of each sample.
for d in "$SAMPLES"/*/; do
  c=$(basename "$d")
  {
    printf 'CO STARTING\n   MODELOPT CONC FLAT\n   AVERTIME 1\n   POLLUTID OTHER\nCO FINISHED\n'
    grep -E '^ *(SO STARTING|LOCATION  TALL|SRCPARAM  TALL|SO FINISHED)' "$d/$c.inp"
    printf '   SRCGROUP ALL\nRE STARTING\n   DISCCART 100.0 50.0\n   GRIDPOLR P STA\n'
    printf '   GRIDPOLR P DIST 300.0\n   GRIDPOLR P GDIR 4 90.0 90.0\n   GRIDPOLR P END\nRE FINISHED\n'
    printf 'ME STARTING\n   SURFFILE m.sfc\n   PROFFILE m.pfl\nME FINISHED\n'
    printf 'OU STARTING\n   RECTABLE 1 FIRST\n   FILEFORM EXP\n   POSTFILE 1 ALL PLOT o.pst\n'
    printf '   PLOTFILE 1 ALL FIRST o.plt\nOU FINISHED\n\f'
    head -7 "$d/$c.sfc"
    printf '\f'
    awk -v n=6 '{print} $6 == 1 && ++h == n {exit}' "$d/$c.pfl"
  } > "$BUILD/corpus/seed-$c"
done

run_fuzzer "$BUILD/deck_fuzzer" "$SECONDS_TO_RUN" 16384
