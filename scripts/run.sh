#!/usr/bin/env bash
# Installs the dependencies, builds Airlume and opens its window. Arguments go
# to the analyser, e.g.  ./scripts/run.sh --source scenario:resources/scenarios/demo.json
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DAIRLUME_BUILD_TESTS=OFF >/dev/null
cmake --build build-release
exec build-release/src/app/airlume "$@"
