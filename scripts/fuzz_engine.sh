#!/usr/bin/env bash
# Fuzz the screening engine's answer reader and dialogue with libFuzzer.
# Usage: scripts/fuzz_engine.sh [seconds]   (default 30)
# Builds in its own directory (build-fuzz in the repository, or $FUZZ_BUILD_DIR),
# seeds the corpus with the sample answer scripts and runs for the given time.
set -euo pipefail

SECONDS_TO_RUN="${1:-30}"
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${FUZZ_BUILD_DIR:-$REPO/build-fuzz}"
SAMPLES="$REPO/tests/data/screen3"
# shellcheck source=scripts/fuzz_common.sh
source "$REPO/scripts/fuzz_common.sh"
build_fuzzer "$REPO/src/screen/engine" "$REPO/tests/screen/engine/fuzz/answer_fuzzer.cpp" "$BUILD/answer_fuzzer"

if [ -d "$SAMPLES" ]; then
  for d in "$SAMPLES"/*/; do
    [ -f "$d/screen3.inp" ] && cp "$d/screen3.inp" "$BUILD/corpus/seed-$(basename "$d").inp"
  done
fi

run_fuzzer "$BUILD/answer_fuzzer" "$SECONDS_TO_RUN" 4096
