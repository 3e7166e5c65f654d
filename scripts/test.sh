#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test:
#  1. unit, widget and end-to-end tests under AddressSanitizer and UBSan (gcc);
#  2. each libFuzzer target for a short run from its seed corpus (clang);
#  3. the benchmarks are built, so they keep compiling (run them by hand).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh --test
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAIRLUME_SANITIZE=ON >/dev/null
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DAIRLUME_BUILD_FUZZ=ON -DAIRLUME_BUILD_TESTS=OFF -DAIRLUME_BUILD_GUI=OFF >/dev/null
cmake --build build-fuzz -j "$jobs"
ctest --test-dir build-fuzz --output-on-failure -L fuzz

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DAIRLUME_BUILD_BENCH=ON \
    -DAIRLUME_BUILD_TESTS=OFF -DAIRLUME_BUILD_GUI=OFF >/dev/null
cmake --build build-bench -j "$jobs"
