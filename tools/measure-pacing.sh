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
  for n in $(seq 141 190); do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then display=":$n"; break; fi
  done
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
TESSAROC_PACING_SECONDS=$seconds "$build/tests/test_window" --gtest_also_run_disabled_tests \
  --gtest_filter='*PacingReport*' | grep -E '^(presents|interval|processor):'
