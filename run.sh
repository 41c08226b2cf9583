#!/usr/bin/env bash
# Installs what is missing, builds and starts kuva环评计算.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target kuvacalc kuvacalc-cli kuvascreen
cd build/bin
exec ./kuvacalc "$@"
