#!/bin/sh
# Builds Celdara (release) and starts it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target celdara
exec build/release/src/app/celdara
