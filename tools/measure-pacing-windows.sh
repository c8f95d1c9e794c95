#!/usr/bin/env bash
# Measures the frame pacing of the Windows program's real window under Wine: presents for 10
# seconds (or $1 seconds) and reports the mean and spread of the intervals and the processor
# use. Needs the cross build's test_win32.exe in $2 (default build-windows); uses a private
# Wine prefix, and a private Xvfb when DISPLAY is unset.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
build=${2:-build-windows}
[ -f "$build/tests/test_win32.exe" ] || { echo "tessaroc: no $build/tests/test_win32.exe" >&2; exit 1; }
# shellcheck source=lib/wine.sh
source tools/lib/wine.sh
start_private_wine_prefix
trap 'stop_private_wine_prefix' EXIT
if [ -z "${DISPLAY:-}" ]; then
  # shellcheck source=lib/xvfb.sh
  source tools/lib/xvfb.sh
  start_private_xvfb 141 190
  trap 'stop_private_wine_prefix; kill $xvfb_pid 2>/dev/null || true' EXIT
fi
TESSAROC_PACING_SECONDS=$seconds wine "$build/tests/test_win32.exe" --gtest_also_run_disabled_tests \
  --gtest_filter='*PacingReport*' | tr -d '\r' | grep -E '^(timer|presents|interval|processor):'
