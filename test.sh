#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test suite: the main build's
# suites, then the core, screening-engine and dispersion-engine suites (kuvamod, kuvaslab) again under AddressSanitizer and
# UndefinedBehaviorSanitizer with a short fuzz run. Ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap.sh

# Every C++ source formatted as .clang-format says.
scripts/check_format.sh

JOBS=${JOBS:-2}

# Sanitizer build of the non-Qt core and engine suites.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKUVA_BUILD_GUI=OFF -DKUVA_SANITIZE=ON >/dev/null
asan_targets=$(cmake --build build-asan --target help | awk '/^\.\.\. (core_|screen_engine|screen_|mod_|slab_)/{print $2}' | tr '\n' ' ')
if [ -n "$asan_targets" ]; then
  # shellcheck disable=SC2086
  cmake --build build-asan -j"$JOBS" --target $asan_targets kuvascreen kuvamod kuvaslab kuvacalc-cli
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan -R '^(core_|screen_|mod_|slab_)' --output-on-failure -j"$JOBS"
fi
if [ -x scripts/fuzz_engine.sh ]; then
  scripts/fuzz_engine.sh 20
fi
if [ -x scripts/fuzz_mod.sh ]; then
  scripts/fuzz_mod.sh 20
fi
if [ -x scripts/fuzz_slab.sh ]; then
  scripts/fuzz_slab.sh 20
fi

# Main build (warnings are errors): everything, every suite; ctest's summary is the last thing printed.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUVA_WERROR=ON >/dev/null
# Every package the configure step found must come from bootstrap's list.
scripts/check_bootstrap_deps.sh build
cmake --build build -j"$JOBS"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$JOBS"
