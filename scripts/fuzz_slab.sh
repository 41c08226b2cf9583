#!/usr/bin/env bash
# Fuzz kuvaslab's deck reader and the release calculation with libFuzzer.
# Usage: scripts/fuzz_slab.sh [seconds]   (default 30)
# Builds in its own directory (build-fuzz-slab in the repository, or $FUZZ_BUILD_DIR), seeds the
# corpus with the sample decks and runs for the given time.
set -euo pipefail

SECONDS_TO_RUN="${1:-30}"
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${FUZZ_BUILD_DIR:-$REPO/build-fuzz-slab}"
SAMPLES="$REPO/tests/data/slab"
# shellcheck source=scripts/fuzz_common.sh
source "$REPO/scripts/fuzz_common.sh"
build_fuzzer "$REPO/src/slab" "$REPO/tests/slab/fuzz/deck_fuzzer.cpp" "$BUILD/deck_fuzzer"

for d in "$SAMPLES"/*/; do
  cp "$d/input" "$BUILD/corpus/seed-$(basename "$d")"
done

run_fuzzer "$BUILD/deck_fuzzer" "$SECONDS_TO_RUN" 4096
