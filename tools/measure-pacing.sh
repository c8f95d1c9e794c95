#!/usr/bin/env bash
# Measures the frame pacing of the real window: presents for 10 seconds (or $1 seconds) and
# reports the mean and spread of the intervals and the processor use. Builds test_window in
# build-pacing unless a build folder is given as $2; starts a private Xvfb when DISPLAY is unset.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
build=${2:-build-pacing}
if [ ! -x "$build/tests/test_window" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"$(nproc)" --target test_window >/dev/null
fi
if [ -z "${DISPLAY:-}" ]; then
  # shellcheck source=lib/xvfb.sh
  source tools/lib/xvfb.sh
  start_private_xvfb 141 190
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
fi
TESSAROC_PACING_SECONDS=$seconds "$build/tests/test_window" --gtest_also_run_disabled_tests \
  --gtest_filter='*PacingReport*' | grep -E '^(presents|interval|processor):'
