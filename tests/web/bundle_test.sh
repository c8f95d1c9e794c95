#!/usr/bin/env bash
# The web bundle players get (web/ and tessaroc-web.zip) holds no entry point of the browser
# tests' hooks, while the tests' bundle (web-test/) does, so the search below finds them
# where they are: the page reaches the program only through the exports its .js names (the
# .wasm's own export names are shortened). $1: the browser build's folder.
set -euo pipefail
build=$1
hook=tessaroc_test_
fail() {
  echo "bundle_test: $*" >&2
  exit 1
}
grep -q "$hook" "$build/web-test/tessaroc.js" || fail "web-test/tessaroc.js lacks the test hooks"
if grep -q "$hook" "$build/web/tessaroc.js"; then fail "web/tessaroc.js holds a test hook"; fi
if cmp -s "$build/web-test/tessaroc.wasm" "$build/web/tessaroc.wasm"; then
  fail "web/ holds the tests' program"
fi
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$build/tessaroc-web.zip" -d "$unpacked"
for f in tessaroc.js tessaroc.wasm; do
  cmp -s "$unpacked/web/$f" "$build/web/$f" || fail "tessaroc-web.zip holds another $f than web/"
done
if grep -rlq "$hook" "$unpacked"; then fail "tessaroc-web.zip holds a test hook"; fi
if grep -rlq "test_hooks\|web-test" "$unpacked"; then fail "tessaroc-web.zip names the tests"; fi
echo "bundle_test: no test hook in web/ or tessaroc-web.zip"
