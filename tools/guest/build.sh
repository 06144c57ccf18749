#!/usr/bin/env bash
# Builds the emulated machine that runs the Windows layer where this kernel
# runs no 32-bit programs: a Debian 12 root (debootstrap) holding only what
# the tests need at run time, as an ext4 image, with the kernel and initramfs
# of its own linux-image-amd64. Built once per machine and cached outside the
# checkout (ZOR_GUEST_CACHE), keyed by this script: a change to it builds the
# guest anew. The cache keeps this key's guest and the most recently used
# other one, so that two checkouts of different ages do not rebuild each
# other's. The guest's init comes with each run (run.sh), so changing it needs
# no rebuild. Prints the guest's directory.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# Absolute and resolved once: the kernel's mount table spells it so.
cache=$(realpath -m -- "${ZOR_GUEST_CACHE:-/var/cache/zorvane-guest}")
key=$(sha256sum <"$here/build.sh" | cut -c1-16)
dir=$cache/$key
if [ -f "$dir/ready" ]; then
  # Its last use, for the clean-up below; the stamp is writable by all, so a
  # run as any user counts.
  touch -c "$dir/ready" 2>/dev/null ||
    echo "guest: cannot record this use of $dir (its ready stamp is not writable)" >&2
  echo "$dir"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then exec sudo env ZOR_GUEST_CACHE="$cache" bash "$0"; fi
fail() {
  echo "guest: $*" >&2
  exit 1
}
trap 'echo "guest: build failed: \"$BASH_COMMAND\" (exit $?)" >&2' ERR
. "$here/host.sh"
# The guest's packages come from where the host's come from; with no network
# in the guest, the main suite is all it needs.
mirror=$(debian_mirror bookworm) ||
  fail "no http(s) mirror of Debian bookworm in /etc/apt/sources.list or /etc/apt/sources.list.d/"

# Run-time needs of the Windows layer and the demonstration; ctest comes with
# cmake, so the guest runs the very same test command as the host.
packages=(linux-image-amd64 kmod wine wine32:i386 fonts-wine xvfb xauth x11-utils imagemagick
  cmake)

mkdir -p "$cache"
exec 9>"$cache/lock"
flock 9
if [ -f "$dir/ready" ]; then
  echo "$dir"
  exit 0
fi
echo "guest: building the emulated machine once for this machine (about 5 minutes)" >&2
start=$SECONDS

# The mounts the build makes in its chroot, in the order it makes them.
chroot_mounts=(proc sys dev dev/pts)
# Unmounts those below ROOT, by path, last made first.
unmount_root() {
  local i m
  for ((i = ${#chroot_mounts[@]} - 1; i >= 0; i--)); do
    m=$1/${chroot_mounts[i]}
    if mounts_below "$m" | grep -qxF -- "$m"; then umount "$m" || umount -l "$m" || true; fi
  done
}
# Removes DIR, a build's folder (a build killed mid-way leaves its chroot's
# mounts behind), but never while anything is mounted below it: rm would
# walk into the host's /dev.
remove() {
  local left
  unmount_root "$1/root"
  left=$(mounts_below "$1")
  if [ -n "$left" ]; then
    echo "guest: not removing $1: still mounted below it: ${left//$'\n'/, }" >&2
    return 1
  fi
  rm -rf --one-file-system "$1"
}
# The lock is ours, so nothing here is being built: of our guests, finished
# or not, keep only the most recently used finished one. Nothing else in the
# cache folder is touched.
last=$(ls -td "$cache"/*/ready 2>/dev/null | head -n 1) || true
for d in "$cache"/*; do
  if [[ ${d##*/} =~ ^[0-9a-f]{16}(\.part(\.log)?)?$ ]] && [ "$d/ready" != "$last" ]; then
    remove "$d" || fail "unmount what is listed above, then build again"
  fi
done

work=$dir.part
root=$work/root
mkdir -p "$root"
# debootstrap splits its target's path at spaces: it is given a link of
# plain characters instead.
target=$root links=""
if [[ $root =~ [[:space:]] ]]; then
  links=$(mktemp -d /tmp/zor-guest.XXXXXX)
  target=$links/root
  ln -s "$root" "$target"
fi
trap 'remove "$work"; [ -z "$links" ] || rm -rf "$links"' EXIT
# A second signal does not cut the clean-up short.
for s in INT TERM HUP; do trap "trap '' INT TERM HUP; fail 'build stopped by SIG$s'" "$s"; done

debootstrap --variant=minbase bookworm "$target" "$mirror" >"$work.log" 2>&1 ||
  { tail -20 "$work.log" >&2; fail "debootstrap from $mirror failed (above; the whole log: $work.log)"; }

mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
echo "deb $mirror bookworm main" >"$root/etc/apt/sources.list"
# Only what finds and mounts the root disk goes into the initramfs.
mkdir -p "$root/etc/initramfs-tools/conf.d"
echo MODULES=list >"$root/etc/initramfs-tools/conf.d/zor"
printf '%s\n' virtio_pci virtio_blk ext4 >>"$root/etc/initramfs-tools/modules"
# Logged command by command: a trap that runs between them speaks to the terminal.
in_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LC_ALL=C "$@" >>"$work.log" 2>&1; }
in_root dpkg --add-architecture i386 &&
  in_root apt-get update -qq &&
  in_root apt-get install -y -qq --no-install-recommends "${packages[@]}" &&
  in_root apt-get clean ||
  { tail -20 "$work.log" >&2; fail "installing the guest's packages failed (above; the whole log: $work.log)"; }
unmount_root "$root"
[ -z "$(mounts_below "$root")" ] || fail "the chroot's mounts did not all go: $(mounts_below "$root")"

# PID 1: mounts the run's own share and hands over to the init it brings.
cat >"$root/usr/local/sbin/zor-init" <<'INIT'
#!/bin/sh
mount -t proc proc /proc
mount -t tmpfs -o mode=755 tmpfs /run
mkdir /run/zor
modprobe -a 9pnet_virtio 9p
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 zorrun /run/zor
exec /bin/bash /run/zor/init
INIT
chmod 755 "$root/usr/local/sbin/zor-init"
cp "$root"/boot/vmlinuz-* "$work/vmlinuz"
cp "$root"/boot/initrd.img-* "$work/initrd.img"
rm -rf "$root"/usr/share/doc/* "$root"/usr/share/man/* "$root"/var/lib/apt/lists/* "$root"/boot/*
size=$(du -sm "$root" | cut -f1)
# No journal: the disk is only ever used through a throw-away snapshot.
mke2fs -q -t ext4 -O ^has_journal -L zorguest -d "$root" "$work/root.img" "$((size * 5 / 4 + 256))M" >/dev/null
rm -rf --one-file-system "$root" "$work.log"
mv "$work" "$dir"
touch "$dir/ready"
chmod 666 "$dir/ready"
echo "guest: built in $((SECONDS - start)) s ($((size)) MB)" >&2
echo "$dir"
