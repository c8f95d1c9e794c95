#!/usr/bin/env bash
# Installs what is missing, builds the game (the program and its sprite sheets, no tests or
# benchmarks) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tessaroc
exec build/tessaroc
