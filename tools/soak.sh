#!/usr/bin/env bash
# The full soak: 10,000 random rounds (or $1) of the whole program on the scripted machine,
# under AddressSanitizer and UndefinedBehaviorSanitizer, with the player's seed $2 (default
# 1). Builds test_setup in build-asan unless a build folder is given as $3; prints the
# run's tally and its wall-clock time. The test suite runs 1,000 rounds of the same soak.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-10000}
seed=${2:-1}
build=${3:-build-asan}
if [ ! -x "$build/tests/test_setup" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSAROC_SANITIZE=ON \
    -DTESSAROC_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target test_setup >/dev/null
export LSAN_OPTIONS="suppressions=$(pwd)/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1"
start=$(date +%s.%N)
TESSAROC_SOAK_ROUNDS=$rounds TESSAROC_SOAK_SEED=$seed ASAN_OPTIONS=detect_leaks=1 \
  "$build/tests/test_setup" --gtest_filter='Soak.*' | grep -E '^soak:|OK|FAILED|Failure'
end=$(date +%s.%N)
awk -v r="$rounds" -v a="$start" -v b="$end" 'BEGIN { printf "soak: %d rounds in %.1f s\n", r, b - a }'
