#!/usr/bin/env bash
# Writes new reference frames (hashes and compressed PNGs) into tests/setup/reference_frames
# from the current build, for a change that is meant to alter what the screens show. Open the
# PNGs and look at them before committing. Usage: tools/update-reference-frames.sh [build dir]
# Given the Windows cross build (build-windows), it writes only hashes-gdi.txt, the hashes of
# the frames with GDI's text under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
out=$(mktemp -d /tmp/tessaroc-reference-XXXXXX)
trap 'rm -rf "$out"' EXIT
cmake --build "$build" --target test_setup
target=$root/tests/setup/reference_frames
mkdir -p "$target"
if [ -f "$build/tests/test_setup.exe" ]; then
  # shellcheck source=lib/wine.sh
  source "$root/tools/lib/wine.sh"
  start_private_wine_prefix
  trap 'stop_private_wine_prefix; rm -rf "$out"' EXIT
  TESSAROC_REFERENCE_OUT=$out env -u DISPLAY wine "$build/tests/test_setup.exe" \
    --gtest_filter='ReferenceFrames.*'
  sort "$out/hashes.txt" >"$target/hashes-gdi.txt"
  echo "GDI reference hashes written to $target/hashes-gdi.txt"
  exit 0
fi
TESSAROC_REFERENCE_OUT=$out "$build/tests/test_setup" --gtest_filter='ReferenceFrames.*'
rm -f "$target"/*.png
for frame in "$out"/*.png; do
  convert "$frame" -strip -define png:compression-level=9 "$target/$(basename "$frame")"
done
sort "$out/hashes.txt" >"$target/hashes.txt"
echo "reference frames written to $target"
