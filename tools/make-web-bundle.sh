#!/usr/bin/env bash
# Assembles the static web bundle of Tessaroc in <build>/web and packs it into
# <build>/tessaroc-web.zip: the page (web/), the program's .js, .wasm and .data, the icons,
# the manifest and the service worker, which lists every file and a version made from them.
# $1: the browser build's folder (default build-web). With $2 and $3 (the browser tests'
# bundle): the program is taken from <build>/$2 and the bundle made in <build>/$3, unpacked.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-web}" && pwd)
program="$build/${2:-.}"
bundle="$build/${3:-web}"
for f in tessaroc.js tessaroc.wasm tessaroc.data; do
  if [ ! -f "$program/$f" ]; then
    echo "tessaroc: $program holds no built $f" >&2
    exit 1
  fi
done
rm -rf "$bundle"
mkdir -p "$bundle"
cp web/index.html web/page.css web/page.js web/manifest.webmanifest "$bundle/"
cp "$program/tessaroc.js" "$program/tessaroc.wasm" "$program/tessaroc.data" "$bundle/"
for size in 48 128 256; do
  mkdir -p "$bundle/icons/${size}x${size}/apps"
  cp "$build/icons/${size}x${size}/apps/io.github.tessaroc.Tessaroc.png" \
    "$bundle/icons/${size}x${size}/apps/"
done
files=$(cd "$bundle" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
version=$(cd "$bundle" && echo "$files" | xargs sha256sum | sha256sum | cut -c1-16)
list=$(echo "$files" | sed 's|.*|"&"|' | paste -sd, -)
sed -e "s|@TESSAROC_BUNDLE_VERSION@|$version|" -e "s|@TESSAROC_BUNDLE_FILES@|\"./\",$list|" \
  web/sw.js >"$bundle/sw.js"
[ -z "${3:-}" ] || exit 0
rm -f "$build/tessaroc-web.zip"
(cd "$build" && zip -qrX tessaroc-web.zip web)
echo "tessaroc-web.zip: $(stat -c %s "$build/tessaroc-web.zip") bytes"
