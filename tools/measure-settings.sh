#!/usr/bin/env bash
# Measures the running program on the settings screen under X: processor use over 10 s with
# the star background off and on, the time from start to the first presented frame, and the
# resident memory. Usage: tools/measure-settings.sh [tessaroc executable] (default
# build/tessaroc beside its GFX folder). Uses $DISPLAY, or starts a private Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "${1:-$root/build/tessaroc}")
gfx=$(dirname "$exe")/GFX
seconds=10
work=$(mktemp -d /tmp/tessaroc-measure-XXXXXX)
xvfb_pid=""
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  # shellcheck source=lib/xvfb.sh
  source "$root/tools/lib/xvfb.sh"
  start_private_xvfb 141 190
fi

# A shim that notes the wall-clock time of the first frame the program presents.
cat >"$work/first_frame.c" <<'C'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
int SDL_UpdateWindowSurface(void* window) {
    static int (*real)(void*) = 0;
    static int done = 0;
    if (!real) real = (int (*)(void*))dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface");
    int result = real(window);
    if (!done) {
        done = 1;
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        const char* path = getenv("TESSAROC_FIRST_FRAME_FILE");
        FILE* out = path ? fopen(path, "w") : 0;
        if (out) {
            fprintf(out, "%ld.%09ld\n", (long)now.tv_sec, now.tv_nsec);
            fclose(out);
        }
    }
    return result;
}
C
cc -shared -fPIC -O2 -o "$work/first_frame.so" "$work/first_frame.c" -ldl

# Starts the program in a fresh program folder with the given star option; sets pid.
start() { # star-flag
  local folder=$work/run$1
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$exe" "$folder/tessaroc"
  cp -r "$gfx" "$folder/GFX"
  python3 -c "import struct,sys; sys.stdout.buffer.write(b'\0xst'+struct.pack('<9i',$1,0,0,0,15,10,12,0,0))" >"$folder/Prefs"
  started=$(date +%s.%N)
  TESSAROC_FIRST_FRAME_FILE=$work/first$1 LD_PRELOAD=$work/first_frame.so "$folder/tessaroc" &
  pid=$!
}

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

for star in 0 1; do
  start "$star"
  sleep 2
  hz=$(getconf CLK_TCK)
  before=$(ticks "$pid")
  sleep "$seconds"
  after=$(ticks "$pid")
  cpu=$(awk -v a="$after" -v b="$before" -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "%.1f", (a - b) / hz / s * 100 }')
  rss=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$pid/status")
  peak=$(awk '/VmHWM/ {printf "%.1f", $2 / 1024}' "/proc/$pid/status")
  label=$([ "$star" = 1 ] && echo "stars on " || echo "stars off")
  echo "settings screen, $label: processor ${cpu} % of one core over ${seconds} s;" \
    "resident ${rss} MB (peak ${peak} MB)"
  kill -TERM "$pid"
  wait "$pid" || true
  pid=""
done

# Start to first presented frame: nine starts, the median.
for run in $(seq 9); do
  rm -f "$work/first0"
  start 0
  for _ in $(seq 100); do [ -s "$work/first0" ] && break; sleep 0.05; done
  awk -v s="$started" '{printf "%.0f\n", ($1 - s) * 1000}' "$work/first0" >>"$work/firsts"
  kill -TERM "$pid"
  wait "$pid" || true
  pid=""
done
sort -n "$work/firsts" | awk '{v[NR] = $1} END {
  printf "start to first presented frame: median %d ms (fastest %d, slowest %d, 9 starts)\n",
    v[5], v[1], v[9] }'
