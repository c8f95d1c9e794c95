#!/usr/bin/env bash
# Writes new reference frames (hashes and compressed PNGs) into tests/setup/reference_frames
# from the current build, for a change that is meant to alter what the screens show. Open the
# PNGs and look at them before committing. Usage: tools/update-reference-frames.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
out=$(mktemp -d /tmp/tessaroc-reference-XXXXXX)
trap 'rm -rf "$out"' EXIT
cmake --build "$build" --target test_setup
TESSAROC_REFERENCE_OUT=$out "$build/tests/test_setup" --gtest_filter='ReferenceFrames.*'
target=$root/tests/setup/reference_frames
mkdir -p "$target"
rm -f "$target"/*.png
for frame in "$out"/*.png; do
  convert "$frame" -strip -define png:compression-level=9 "$target/$(basename "$frame")"
done
sort "$out/hashes.txt" >"$target/hashes.txt"
echo "reference frames written to $target"
