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
CXX="${CXX_FUZZ:-clang++-14}"
command -v "$CXX" >/dev/null 2>&1 || CXX=clang++

mkdir -p "$BUILD/obj" "$BUILD/corpus" "$BUILD/artifacts"
FLAGS=(-std=c++20 -O1 -g -fno-omit-frame-pointer -ffp-contract=off -fsanitize=fuzzer,address,undefined
       -fno-sanitize-recover=undefined -I"$REPO/src")

objects=()
for src in "$REPO"/src/screen/engine/*.cpp; do
  name="$(basename "$src" .cpp)"
  [ "$name" = main ] && continue
  obj="$BUILD/obj/$name.o"
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ -n "$(find "$REPO/src/screen/engine" -name '*.h' -newer "$obj")" ]; then
    echo "compiling $name"
    "$CXX" "${FLAGS[@]}" -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
  fi
  objects+=("$obj")
done
"$CXX" "${FLAGS[@]}" "$REPO/tests/screen/engine/fuzz/answer_fuzzer.cpp" "${objects[@]}" -o "$BUILD/answer_fuzzer"

if [ -d "$SAMPLES" ]; then
  for d in "$SAMPLES"/*/; do
    [ -f "$d/screen3.inp" ] && cp "$d/screen3.inp" "$BUILD/corpus/seed-$(basename "$d").inp"
  done
fi

cd "$BUILD"
./answer_fuzzer -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2048 -max_len=4096 \
  -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/" "$BUILD/corpus"
