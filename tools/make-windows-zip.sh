#!/usr/bin/env bash
# Packs the Windows program into tessaroc-windows-x86_64.zip: the stripped tessaroc.exe, its
# GFX folder and the licence as LICENSE.txt (Windows line ends), in one folder "Tessaroc"
# that a player unpacks anywhere writable.
# $1: the cross build's folder (default build-windows); the archive is written there.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-windows}" && pwd)
if [ ! -f "$build/tessaroc.exe" ] || [ ! -f "$build/GFX/TileSet.bmp" ]; then
  echo "tessaroc: $build holds no built tessaroc.exe and GFX folder" >&2
  exit 1
fi
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/Tessaroc"
x86_64-w64-mingw32-strip -o "$stage/Tessaroc/tessaroc.exe" "$build/tessaroc.exe"
cp -r "$build/GFX" "$stage/Tessaroc/GFX"
sed 's/$/\r/' LICENSE >"$stage/Tessaroc/LICENSE.txt"
rm -f "$build/tessaroc-windows-x86_64.zip"
(cd "$stage" && zip -qrX "$build/tessaroc-windows-x86_64.zip" Tessaroc)
echo "tessaroc-windows-x86_64.zip: $(stat -c %s "$build/tessaroc-windows-x86_64.zip") bytes" \
  "(tessaroc.exe $(stat -c %s "$stage/Tessaroc/tessaroc.exe") bytes)"
