#!/usr/bin/env bash
# Builds Tessaroc and runs the whole test suite: a brief run of every fuzzer (clang), the
# tests of the ordinary build, then the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer. Tests that need a display run in a private Xvfb. Then the
# Windows program under Wine, and the browser build: its core tests under Node and the page
# in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# The same locale however the shell was started: Wine maps file names through it (a folder
# named with umlauts needs UTF-8), and Debian always has C.UTF-8.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
bash tools/install-deps.sh
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-20}

# A private X server for the tests through the real window.
# shellcheck source=lib/xvfb.sh
source tools/lib/xvfb.sh
start_private_xvfb 91 140
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT

# Leaks inside the system's display and font libraries are not ours.
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1"

configure() { # folder, cmake options...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
}

echo "== fuzzers (${fuzz_seconds} s each)"
configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DTESSAROC_FUZZ=ON -DTESSAROC_TESTS=OFF -DTESSAROC_BENCH=OFF \
  -DTESSAROC_WERROR=OFF
for fuzzer in build-fuzz/fuzz/fuzz_*; do
  name=$(basename "$fuzzer"); name=${name#fuzz_}
  work=$(mktemp -d)
  "$fuzzer" -max_total_time="$fuzz_seconds" -artifact_prefix="$work/" "$work" "fuzz/corpus/$name" \
    >"$work.log" 2>&1 || { cat "$work.log"; exit 1; }
  echo "fuzz_$name: $(tail -1 "$work.log")"
  rm -rf "$work" "$work.log"
done

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
configure build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSAROC_SANITIZE=ON -DTESSAROC_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== tests"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Windows program (cross-built, tests under Wine)"
# shellcheck source=lib/wine.sh
source tools/lib/wine.sh
configure build-windows -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DTESSAROC_ARTWORK_GENERATOR="$root/build/make_artwork" -DTESSAROC_BENCH=OFF
start_private_wine_prefix
trap 'stop_private_wine_prefix; kill $xvfb_pid 2>/dev/null || true' EXIT
# The scripted-platform programs need no display; the real window then gets the Xvfb.
env -u DISPLAY ctest --test-dir build-windows --output-on-failure -j"$jobs" -LE wine_window
wineserver -w
# The real window's tests under a window manager, as on a desktop: the window gets the
# keyboard when it appears, and Wine need not wait (2 s a window) for a manager's answer
# when a window goes.
xprop -root -remove _NET_SUPPORTING_WM_CHECK # set again once the manager runs
openbox >/dev/null 2>&1 &
openbox_pid=$!
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
trap 'kill $openbox_pid 2>/dev/null || true; stop_private_wine_prefix; kill $xvfb_pid 2>/dev/null || true' EXIT
ctest --test-dir build-windows --output-on-failure -L wine_window
kill $openbox_pid 2>/dev/null || true
bash tools/make-windows-zip.sh build-windows

echo "== browser build (Emscripten: core tests under Node, the page in headless Chromium)"
emcmake cmake -S "$root" -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSAROC_BENCH=OFF \
  -DTESSAROC_ARTWORK_GENERATOR="$root/build/make_artwork" \
  -DTESSAROC_GLYPH_GENERATOR="$root/build/make_glyphs" >/dev/null
cmake --build build-web -j"$jobs"
ctest --test-dir build-web --output-on-failure
