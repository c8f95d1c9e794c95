#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs each with repetitions; prints medians.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSAROC_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)"
for bench in build-bench/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench" --benchmark_repetitions=9 --benchmark_report_aggregates_only=true \
    --benchmark_display_aggregates_only=true 2>/dev/null | grep -E 'median|Benchmark|---' || true
done
