#!/usr/bin/env bash
# The program's command-line answers, with no display to open a window on (the game itself
# then ends with 1): --help and -h print the usage on stdout and --version "Tessaroc" and
# the package's version, ending with 0 and nothing on stderr; an unknown option, a file name
# or two options print what was wrong and the usage on stderr, nothing on stdout, ending
# with 2. No call makes a file beside the program. The usage names what the man page lists.
# $1: the tessaroc executable, $2: the build folder.
set -euo pipefail
program=$1
build=$2
tests_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d /tmp/tessaroc-command-line-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "command_line.sh: $*" >&2; exit 1; }

mkdir "$work/program"
cp "$program" "$work/program/tessaroc"
# Runs the copied program without a display; sets out, err and code.
run() {
  code=0
  env -u DISPLAY -u WAYLAND_DISPLAY "$work/program/tessaroc" "$@" >"$work/out" 2>"$work/err" || code=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}

run
[ "$code" = "1" ] || fail "without a display the game ended with $code, not 1"

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
run --version
[ "$code,$out,$err" = "0,Tessaroc $version," ] || fail "--version: code $code, out '$out', err '$err'"

for option in --help -h; do
  run "$option"
  [ "$code,$err" = "0," ] || fail "$option: code $code, err '$err'"
  [ "$(head -1 <<<"$out")" = "Usage: tessaroc [--help | --version]" ] || fail "$option printed: $out"
done
usage=$out
# Every option and variable of the man page's OPTIONS and ENVIRONMENT is in the usage
# (an entry is the line after .TP; the first word after .B or .BR is its name).
sed -n '/^\.SH OPTIONS/,/^\.SH FILES/p' "$tests_root/desktop/tessaroc.6" |
  awk 'tp && /^\.BR? / {print $2} {tp = ($0 == ".TP")}' | sed 's/\\-/-/g' >"$work/named"
[ "$(wc -l <"$work/named")" = "4" ] || fail "the man page names only: $(cat "$work/named")"
while read -r named; do
  grep -qF -- "$named" <<<"$usage" || fail "the usage lacks $named of the man page"
done <"$work/named"

check_wrong_call() { # first line expected, arguments...
  local expected=$1
  shift
  run "$@"
  [ "$code,$out" = "2," ] || fail "$*: code $code, out '$out'"
  [ "$(head -1 <<<"$err")" = "$expected" ] || fail "$*: stderr starts with $(head -1 <<<"$err")"
  [ "$(sed -n 2p <<<"$err")" = "Usage: tessaroc [--help | --version]" ] || fail "$*: no usage"
}
check_wrong_call "tessaroc: unknown option '--verbose'" --verbose
check_wrong_call "tessaroc: unexpected argument 'TopList'" TopList
check_wrong_call "tessaroc: too many arguments" --help --version

[ "$(ls -A "$work/program")" = "tessaroc" ] || fail "files were made: $(ls -A "$work/program")"
echo "command_line.sh: ok"
