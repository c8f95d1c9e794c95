#!/usr/bin/env bash
# Runs the test command as a new machine would: in a minimal Debian 12 (debootstrap, with git
# and nothing else), on a clone of the last commit, entered with chroot and an empty
# environment (no LANG, no PATH of ours), the project's own install-deps.sh installing the rest.
#
# Usage (as root): tools/check-pristine.sh [folder]   (default /var/tmp/tessaroc-pristine)
# The folder is made anew each run and removed at the end unless KEEP_PRISTINE=1. Only committed
# work is checked: the clone takes HEAD. The log is left in <folder>.log.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
target=${1:-/var/tmp/tessaroc-pristine}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
log="$target.log"
[ "$(id -u)" -eq 0 ] || { echo "check-pristine.sh: run as root (debootstrap, chroot, mounts)" >&2; exit 1; }
command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }

# Unmounts whatever is mounted below the folder, innermost first, then the folder itself.
unmount_all() {
  local m
  for m in $(awk -v t="$target" '$2 == t || index($2, t "/") == 1 { print $2 }' /proc/mounts | sort -r); do
    umount -l "$m" 2>/dev/null || true
  done
}
clean_up() {
  unmount_all
  [ "${KEEP_PRISTINE:-0}" = 1 ] || rm -rf "$target"
}
trap clean_up EXIT

unmount_all
rm -rf "$target"
mkdir -p "$target"
# A mount point of its own and mode 0755, as a real root: unshare inside the chroot needs both.
mount --bind "$target" "$target"
chmod 0755 "$target"

echo "== debootstrap (minbase, with git) into $target"
debootstrap --variant=minbase --include=git bookworm "$target" "$mirror" >"$log" 2>&1 ||
  { tail -20 "$log"; exit 1; }
cat >"$target/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
cp /etc/resolv.conf "$target/etc/resolv.conf"
mount -t proc proc "$target/proc"
mount -t sysfs sys "$target/sys"
mount --rbind /dev "$target/dev"
mount -t tmpfs tmpfs "$target/dev/shm"
git clone -q --no-hardlinks "$root" "$target/root/tessaroc"

# In the chroot with nothing of this shell's environment.
export target
in_pristine() { # command line
  chroot "$target" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root bash -c "cd /root/tessaroc && $1"
}

echo "== tools/install-deps.sh (with the network)"
in_pristine "bash tools/install-deps.sh" >>"$log" 2>&1 || { tail -20 "$log"; exit 1; }

# The suite itself in a network namespace of its own, with only the loopback: as CI has no
# network, and the X servers' sockets cannot meet those of this machine's other X servers.
echo "== tools/run-tests.sh (no network, empty environment); log in $log"
start=$(date +%s)
status=0
export -f in_pristine
unshare --net bash -c 'ip link set lo up && in_pristine "bash tools/run-tests.sh"' >>"$log" 2>&1 ||
  status=$?
echo "run-tests.sh exited $status after $(($(date +%s) - start)) s"
grep -E '^(== |fuzz_|[0-9]+% tests passed|The following tests FAILED|	? *[0-9]+ - )' "$log" || true
exit "$status"
