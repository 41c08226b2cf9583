#!/usr/bin/env bash
# Shared by the fuzz scripts: builds a libFuzzer target from one engine folder and runs it.
# Source this file after setting BUILD (the build folder) and REPO (the repository).

CXX="${CXX_FUZZ:-clang++-14}"
command -v "$CXX" >/dev/null 2>&1 || CXX=clang++
FLAGS=(-std=c++20 -O1 -g -fno-omit-frame-pointer -ffp-contract=off -fsanitize=fuzzer,address,undefined
       -fno-sanitize-recover=undefined -I"$REPO/src")
mkdir -p "$BUILD/obj" "$BUILD/corpus" "$BUILD/artifacts"

# build_fuzzer ENGINE_DIR FUZZER_SOURCE OUTPUT [EXTRA_SOURCE...]: every .cpp of ENGINE_DIR but
# main.cpp, and the extra sources the engine links (its file writer), compiled again only when
# it or a header of the folder changed, linked with the fuzzer's source.
build_fuzzer() {
  local dir="$1" fuzzer="$2" out="$3" src name obj
  shift 3
  local objects=()
  for src in "$dir"/*.cpp "$@"; do
    name="$(basename "$src" .cpp)"
    [ "$name" = main ] && continue
    obj="$BUILD/obj/$name.o"
    if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ -n "$(find "$dir" \( -name '*.h' -o -name '*.inc' \) -newer "$obj")" ]; then
      echo "compiling $name"
      "$CXX" "${FLAGS[@]}" -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
    fi
    objects+=("$obj")
  done
  "$CXX" "${FLAGS[@]}" "$fuzzer" "${objects[@]}" -o "$out"
}

# run_fuzzer BINARY SECONDS MAX_LEN: runs over the corpus folder for the given time.
run_fuzzer() {
  (cd "$BUILD" && "$1" -max_total_time="$2" -timeout=20 -rss_limit_mb=2048 -max_len="$3" \
    -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/" "$BUILD/corpus")
}
