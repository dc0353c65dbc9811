#!/bin/sh
# Checks the shape of the tree, builds Celdara and runs the whole test suite: the release
# build with every layer, the logic layers again under the address and undefined-behaviour
# sanitizers, and the serial port with its threads under the thread sanitizer.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/check-structure.sh

jobs=$(nproc)

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure -j"$jobs"

cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCELDARA_SANITIZE=address \
    -DCELDARA_GUI=OFF -DCELDARA_BENCH=OFF
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan --output-on-failure -j"$jobs"

cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCELDARA_SANITIZE=thread \
    -DCELDARA_GUI=OFF -DCELDARA_BENCH=OFF
cmake --build build/tsan -j"$jobs" --target serial_tests
ctest --test-dir build/tsan -L serial --output-on-failure
