#!/usr/bin/env bash
# Measures the running program's processor use under X, at rest and while a button is held,
# with the presents and the sends to the window per second.
#
# At rest (10 s after a 3 s settle): the settings screen plain and with the star field, the
# largest game screen (40 x 25) with and without stars, its clock running or not yet started,
# and the end screen of a lost round. Held (5 s each, the
# figures taken from 0.5 s after the press): the left and the right button on a board cell,
# a push button, a check box, a title-bar button, a slider and the title bar (a drag that
# does not move). Processor use is the time the process's threads ran over the interval, as
# the scheduler counts it in nanoseconds. For each hold it also prints how long after the
# release the program presented its next frame: from the X server's time stamp on the
# release (whole milliseconds, so up to 1 ms too long) to the read of the release from the
# connection, and to the pacing sleep of that present.
#
# Usage: tools/measure-settings.sh [tessaroc] [previous tessaroc]
# (default build/tessaroc; each executable runs beside its own GFX folder). With a previous
# build its figures are printed beside the current ones; the two builds take turns scenario
# by scenario, so that a change in the machine's load falls on both. $TESSAROC_MEASURE_RUNS
# (default 1) repeats the whole series and prints the medians. Uses $DISPLAY, or starts a
# private Xvfb on the first free display from $XVFB_FIRST to $XVFB_LAST (default 141 to 190).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exes=("$(realpath "${1:-$root/build/tessaroc}")")
[ $# -ge 2 ] && exes+=("$(realpath "$2")")
work=$(mktemp -d /tmp/tessaroc-measure-XXXXXX)
xvfb_pid=""
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -9 "$pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  # shellcheck source=lib/xvfb.sh
  source "$root/tools/lib/xvfb.sh"
  start_private_xvfb "${XVFB_FIRST:-141}" "${XVFB_LAST:-190}"
fi
# One client that stays connected, so the server never resets between two program starts.
xdotool sleep 100000 &
keeper=$!
trap 'kill $keeper 2>/dev/null || true; cleanup' EXIT

# A shim that counts presents (each ends in the pacing sleep, an absolute clock_nanosleep)
# and sends to the window (presents that put an image, through the shared image or SDL's
# window surface), and times the last button release read from the X server: its server
# time stamp (milliseconds of the monotonic clock, as Xvfb and Xorg stamp events) against
# its read and the pacing sleep of the first present after the read. The figures go into a
# file mapped into memory, so that counting costs the program no system call and no
# formatting per frame (a write and a printf per present took about 0.15 % of a core at
# rest): six 64-bit words, a generation count, presents, sends, read and frame time in
# microseconds (-1000 until a release was read and presented), the generation count again.
# The shim writes the last word first and the first last, so a reader that finds the two
# counts differ caught a present half written, and reads again.
cat >"$work/count.c" <<'C'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>
static long presents, sends;
static int sent;
static double readMs = -1, frameMs = -1; /* from the last release's stamp */
static int64_t releaseStamp = -1; /* server time of a release read but not presented yet */
static int64_t MonotonicNs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}
/* Milliseconds from the server time stamp to now; the server's clock in milliseconds wraps
   at 2^32. */
static double SinceStamp(int64_t stamp) {
    double ms = (double)(MonotonicNs() % (INT64_C(1000000) << 32)) / 1e6 - (double)stamp;
    return ms < 0 ? ms + 4294967296.0 : ms;
}
/* The counts file, mapped at the first present; null when there is none. */
static volatile int64_t* MapCounts(void) {
    const char* path = getenv("TESSAROC_COUNT_FILE");
    int fd = path ? open(path, O_RDWR | O_CREAT | O_TRUNC, 0644) : -1;
    if (fd < 0) return 0;
    void* map = ftruncate(fd, 6 * sizeof(int64_t)) == 0
                    ? mmap(0, 6 * sizeof(int64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                    : MAP_FAILED;
    close(fd);
    return map == MAP_FAILED ? 0 : (volatile int64_t*)map;
}
static void note(void) {
    static volatile int64_t* counts;
    static int mapped;
    if (!mapped) {
        mapped = 1;
        counts = MapCounts();
    }
    if (!counts) return;
    /* The last word first and the first last: a reader, which reads them in order, finds
       them equal only when no present wrote between its reads of the two. */
    const int64_t generation = counts[0] + 1;
    counts[5] = generation;
    __atomic_thread_fence(__ATOMIC_SEQ_CST);
    counts[1] = presents;
    counts[2] = sends;
    counts[3] = (int64_t)(readMs * 1000);
    counts[4] = (int64_t)(frameMs * 1000);
    __atomic_thread_fence(__ATOMIC_SEQ_CST);
    counts[0] = generation;
}
int clock_nanosleep(clockid_t clock, int flags, const struct timespec* t, struct timespec* left) {
    static int (*real)(clockid_t, int, const struct timespec*, struct timespec*) = 0;
    if (!real) real = (int (*)(clockid_t, int, const struct timespec*, struct timespec*))dlsym(RTLD_NEXT, "clock_nanosleep");
    if (flags == TIMER_ABSTIME) {
        presents++;
        if (sent) sends++;
        sent = 0;
        if (releaseStamp >= 0) {
            frameMs = SinceStamp(releaseStamp);
            releaseStamp = -1;
        }
        note();
    }
    return real(clock, flags, t, left);
}
/* Every read from the X connection: a core ButtonRelease (code 5) among the messages read
   notes its server time stamp (bytes 4 to 7). Messages are 32 bytes, replies (1) and generic
   events (35, such as the raw input events that come before the core one) 4 bytes more per
   unit of their length field; a read of the connection begins with a whole message while a
   button is held. A stamp far from the clock is not taken. */
static uint32_t Word(const unsigned char* b) {
    return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}
ssize_t recvmsg(int fd, struct msghdr* msg, int flags) {
    static ssize_t (*real)(int, struct msghdr*, int) = 0;
    if (!real) real = (ssize_t (*)(int, struct msghdr*, int))dlsym(RTLD_NEXT, "recvmsg");
    ssize_t n = real(fd, msg, flags);
    if (n < 32 || msg->msg_iovlen < 1) return n;
    const unsigned char* b = (const unsigned char*)msg->msg_iov[0].iov_base;
    size_t length = (size_t)n < msg->msg_iov[0].iov_len ? (size_t)n : msg->msg_iov[0].iov_len;
    for (size_t at = 0; at + 32 <= length;) {
        unsigned code = b[at] & 0x7fu;
        if (code == 5) {
            int64_t stamp = Word(b + at + 4);
            int64_t now = MonotonicNs() / 1000000 % (INT64_C(1) << 32);
            if (now - stamp >= 0 && now - stamp < 1000) {
                releaseStamp = stamp;
                readMs = SinceStamp(stamp);
            }
        }
        at += 32 + (code == 1 || code == 35 ? 4 * (size_t)Word(b + at + 4) : 0);
    }
    return n;
}
int XShmPutImage(void* d, unsigned long w, void* gc, void* image, int sx, int sy, int dx, int dy,
                 unsigned sw, unsigned sh, int event) {
    static int (*real)(void*, unsigned long, void*, void*, int, int, int, int, unsigned, unsigned, int) = 0;
    if (!real) real = (int (*)(void*, unsigned long, void*, void*, int, int, int, int, unsigned, unsigned, int))dlsym(RTLD_NEXT, "XShmPutImage");
    sent = 1;
    return real(d, w, gc, image, sx, sy, dx, dy, sw, sh, event);
}
int SDL_UpdateWindowSurface(void* window) {
    static int (*real)(void*) = 0;
    if (!real) real = (int (*)(void*))dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface");
    sent = 1;
    return real(window);
}
int SDL_UpdateWindowSurfaceRects(void* window, const void* rects, int count) {
    static int (*real)(void*, const void*, int) = 0;
    if (!real) real = (int (*)(void*, const void*, int))dlsym(RTLD_NEXT, "SDL_UpdateWindowSurfaceRects");
    sent = 1;
    return real(window, rects, count);
}
C
cc -shared -fPIC -O2 -o "$work/count.so" "$work/count.c" -ldl

prefs() { # star width height mines: a Prefs file with the window at the desktop's corner
  python3 -c "import struct,sys; sys.stdout.buffer.write(b'\0xst'+struct.pack('<9i',$1,0,0,0,$2,$3,$4,0,0))"
}

start() { # exe star width height mines; sets pid once the window is shown
  local folder=$work/run
  for _attempt in 1 2 3; do
    rm -rf "$folder"
    mkdir -p "$folder"
    cp "$1" "$folder/tessaroc"
    cp -r "$(dirname "$1")/GFX" "$folder/GFX"
    prefs "$2" "$3" "$4" "$5" >"$folder/Prefs"
    TESSAROC_COUNT_FILE=$work/counts LD_PRELOAD=$work/count.so "$folder/tessaroc" 2>/dev/null &
    pid=$!
    if timeout 5 xdotool search --sync --onlyvisible --name Tessaroc >/dev/null 2>&1; then
      return 0
    fi
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  echo "tessaroc: measure-settings: the program showed no window" >&2
  exit 1
}

stop() {
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
}

# Pointer to (x, y) with the one-pixel nudge that SDL needs under Xvfb.
point() {
  xdotool mousemove "$(($1 - 1))" "$2"
  xdotool mousemove_relative 1 0
  sleep 0.1
}
click() { # x y button
  point "$1" "$2"
  xdotool mousedown "$3"
  sleep 0.1
  xdotool mouseup "$3"
  sleep 0.3
}

# Times the program's threads were woken (context switches, given up and taken), summed.
wakeups() {
  cat /proc/"$pid"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches/ {n += $2} END {print n + 0}'
}
# Nanoseconds the program's threads have run, as the scheduler counts them.
runtime() { cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {print ns + 0}'; }
# "presents sends read-ms frame-ms" from the shim's file, read again while a present is being
# written into it.
counts() {
  local words w
  for _try in 1 2 3 4 5 6 7 8 9 10; do
    words=$(od -An -v -t d8 -w48 "$work/counts" 2>/dev/null) || break
    read -r -a w <<<"$words"
    if [ "${#w[@]}" -eq 6 ] && [ "${w[0]}" = "${w[5]}" ]; then
      awk -v p="${w[1]}" -v s="${w[2]}" -v r="${w[3]}" -v f="${w[4]}" \
        'BEGIN { printf "%s %s %.3f %.3f\n", p, s, r / 1000, f / 1000 }'
      return
    fi
  done
  echo "0 0 -1 -1"
}

# Measures the process over `seconds`; prints "cpu% presents/s sends/s wake-ups/s".
measure() { # seconds
  local r0 r1 c0 c1 w0 w1
  r0=$(runtime)
  c0=$(counts)
  w0=$(wakeups)
  sleep "$1"
  r1=$(runtime)
  c1=$(counts)
  w1=$(wakeups)
  awk -v a="$r1" -v b="$r0" -v s="$1" -v c0="$c0" -v c1="$c1" -v w0="$w0" -v w1="$w1" 'BEGIN {
    split(c0, x, " "); split(c1, y, " ");
    printf "%.2f %.0f %.0f %.1f", (a - b) / 1e9 / s * 100, (y[1] - x[1]) / s, (y[2] - x[2]) / s,
      (w1 - w0) / s }'
}

# The game screen of a 40 x 25 round with stars whose clock runs: Start, then a mark on a
# cell and a left press on it (the clock starts, nothing opens).
start_game() { # exe [star]
  start "$1" "${2:-1}" 40 25 150
  sleep 1
  click 327 234 1
  sleep 1
  click 35 83 3
  click 35 83 1
}

# The end screen of a 15 x 10 round with half its cells mines: cells are opened one after
# another until a frame passes without a present (the clock stopped: the round is over).
start_end_screen() { # exe
  start "$1" 0 15 10 75
  sleep 1
  click 327 234 1
  sleep 1
  local cell p0
  for cell in $(seq 0 149); do
    click $((15 + 20 * (cell % 15))) $((83 + 20 * (cell / 15))) 1
    p0=$(counts | cut -d' ' -f1)
    sleep 0.5
    [ "$(counts | cut -d' ' -f1)" = "$p0" ] && return
  done
}

# An instant click (press and release together, as a touchpad's tap) on the first check box,
# measured as holds are: the time from the release to the next present.
tap() {
  point 28 228
  xdotool click 1
  sleep 0.3
  echo -n "- - - -"
  counts | awk '{ if ($4 < 0) print " - -"; else printf " %.2f %.2f\n", $3, $4 }'
}

hold() { # x y button: press and measure 5 s, then slide off to an empty spot and release;
  # prints the measure and the time from the release to the next present
  point "$1" "$2"
  xdotool mousedown "$3"
  sleep 0.5
  measure 5
  point 250 300
  xdotool mouseup "$3"
  sleep 0.3
  counts | awk '{ if ($4 < 0) print " - -"; else printf " %.2f %.2f\n", $3, $4 }'
}

scenarios=("settings plain" "settings, stars" "game 40x25, clock, stars" "hold: board cell, left"
  "hold: board cell, right" "hold: push button" "hold: check box" "hold: title-bar button"
  "hold: slider" "hold: title-bar drag" "game 40x25, clock" "game 40x25, before a click"
  "tap: check box" "end screen, still")

scenario() { # exe n: runs scenario n (0-based, in the order above), prints its line
  case $2 in
    0) start "$1" 0 15 10 12; sleep 3; measure 10; echo " - -" ;;
    1) start "$1" 1 15 10 12; sleep 3; measure 10; echo " - -" ;;
    2) start_game "$1"; sleep 3; measure 10; echo " - -" ;;
    3) start_game "$1"; sleep 1; hold 35 83 1 ;;
    4) start_game "$1"; sleep 1; hold 55 83 3 ;;
    5) start "$1" 0 15 10 12; sleep 2; hold 344 77 1 ;;
    6) start "$1" 0 15 10 12; sleep 2; hold 28 228 1 ;;
    7) start "$1" 0 15 10 12; sleep 2; hold 335 15 1 ;;
    8) start "$1" 0 15 10 12; sleep 2; hold 200 77 1 ;;
    9) start "$1" 0 15 10 12; sleep 2; hold 150 12 1 ;;
    10) start_game "$1" 0; sleep 3; measure 10; echo " - -" ;;
    11) start "$1" 0 40 25 150; sleep 1; click 327 234 1; sleep 3; measure 10; echo " - -" ;;
    12) start "$1" 0 15 10 12; sleep 2; tap ;;
    13) start_end_screen "$1"; sleep 3; measure 10; echo " - -" ;;
  esac
  stop
}

# $TESSAROC_MEASURE_ONLY: the scenario numbers to run (0 to 13, blank-separated); all when
# unset. The others print as "-". Each run appends one line per build to
# figures<build>-<scenario>.
runs=${TESSAROC_MEASURE_RUNS:-1}
for ((run = 0; run < runs; run++)); do
  for n in "${!scenarios[@]}"; do
    if [ -n "${TESSAROC_MEASURE_ONLY:-}" ] && [[ " $TESSAROC_MEASURE_ONLY " != *" $n "* ]]; then
      continue
    fi
    for i in "${!exes[@]}"; do
      scenario "${exes[$i]}" "$n" >>"$work/figures$i-$n"
    done
  done
done

# The median of each column of a scenario's lines ("-" where there is none).
medians() { # file
  [ -s "$1" ] || { echo "- - - - - -"; return; }
  local column
  for column in 1 2 3 4 5 6; do
    awk -v c="$column" '$c != "-" {print $c}' "$1" | sort -g |
      awk '{v[NR] = $1} END {
        if (NR == 0) printf "- "; else if (NR % 2) printf "%s ", v[(NR + 1) / 2];
        else printf "%s ", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
  done
  echo
}

echo "processor use in % of one core, presents/s, sends to the window/s, wake-ups/s, ms from a"
echo "release's time stamp to its read / to the next present (medians of $runs run(s))"
header=$(printf "%-28s %40s" "" "this build")
[ ${#exes[@]} -gt 1 ] && header+=$(printf " %40s" "previous build")
echo "$header"
for n in "${!scenarios[@]}"; do
  line=$(printf "%-28s" "${scenarios[$n]}")
  for i in "${!exes[@]}"; do
    read -r cpu presents sends wakes read frame < <(medians "$work/figures$i-$n")
    line+=$(printf " %5s%% %3s/s %3s/s %5s/s %5s / %5s" "$cpu" "$presents" "$sends" "$wakes" \
      "$read" "$frame")
  done
  echo "$line"
done
