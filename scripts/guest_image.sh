#!/usr/bin/env bash
# Builds, once, the guest in which the 32-bit programs run: a small Debian 12
# amd64 system with the i386 architecture, 32-bit Wine, Xvfb and Python,
# booted by qemu-system-x86_64 straight from its kernel and initrd (see
# guest_run.sh). The image is cached under $BRISKLET_GUEST_CACHE
# (/var/cache/brisklet-guest), keyed by this script, the guest's init and the
# Wine prefix's settings, so running it again costs nothing; it prints the
# image's folder.
# The packages come from the mirror this machine's apt already uses.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
CACHE="${BRISKLET_GUEST_CACHE:-/var/cache/brisklet-guest}"
key="$(cat "$ROOT/scripts/guest_image.sh" "$ROOT/scripts/guest_init.sh" "$ROOT/scripts/wine_prefix.sh" |
       sha256sum | cut -c1-16)"
image="$CACHE/$key"

if [[ -f "$image/ready" ]]; then
    echo "$image"
    exit 0
fi

# The first Debian mirror of this machine's apt sources (one-line or deb822).
apt_mirror() {
    local files=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources)
    local f
    for f in "${files[@]}"; do
        [[ -f "$f" ]] || continue
        if [[ "$f" == *.sources ]]; then
            awk 'BEGIN { RS = ""; FS = "\n" }
                 /(^|\n)Suites:[^\n]*bookworm([ \n]|$)/ && !/(^|\n)Enabled: *no/ {
                     for (i = 1; i <= NF; i++) if ($i ~ /^URIs:/) { split($i, u, " "); print u[2]; exit } }' "$f"
        else
            awk '$1 == "deb" && $0 ~ / bookworm / { for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) { print $i; exit } }' "$f"
        fi
    done | head -n 1
}
mirror="$(apt_mirror)"
[[ -n "$mirror" ]] || { echo "guest_image: no bookworm mirror in this machine's apt sources" >&2; exit 1; }

echo "guest_image: building the guest in $image from $mirror (a few minutes, once)" >&2
mkdir -p "$CACHE"
work="$(mktemp -d "$CACHE/build.XXXXXX")"
rootfs="$work/root"
cleanup() {
    for m in dev/pts dev proc sys; do umount "$rootfs/$m" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

debootstrap --variant=minbase --arch=amd64 \
    --include=linux-image-amd64,kmod,iproute2,procps,python3,xvfb \
    bookworm "$rootfs" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 30 "$work/debootstrap.log" >&2; exit 1; }

# 32-bit Wine from the same mirror, with the host's resolver for the download.
cat >"$rootfs/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
EOF
echo 'Acquire::Check-Valid-Until "false";' >"$rootfs/etc/apt/apt.conf.d/99no-valid-until"
cp /etc/resolv.conf "$rootfs/etc/resolv.conf"
mount -t proc proc "$rootfs/proc"
mount -t sysfs sys "$rootfs/sys"
mount --bind /dev "$rootfs/dev"
mount --bind /dev/pts "$rootfs/dev/pts"
in_root() { chroot "$rootfs" env DEBIAN_FRONTEND=noninteractive LC_ALL=C "$@"; }
in_root dpkg --add-architecture i386
in_root apt-get update -qq
in_root apt-get install -y -qq wine wine32:i386 >"$work/wine.log" 2>&1 ||
    { tail -n 30 "$work/wine.log" >&2; exit 1; }
# The guest boots from a virtio disk and mounts its job over 9p.
printf '%s\n' virtio_pci virtio_blk ext4 9p 9pnet_virtio >>"$rootfs/etc/initramfs-tools/modules"
in_root update-initramfs -u >/dev/null 2>&1
in_root apt-get clean
rm -rf "$rootfs"/var/lib/apt/lists/* "$rootfs/etc/resolv.conf"
for m in dev/pts dev proc sys; do umount "$rootfs/$m"; done

install -m 755 "$ROOT/scripts/guest_init.sh" "$rootfs/usr/local/sbin/brisklet-guest-init"
echo /dev/vda / ext4 rw 0 1 >"$rootfs/etc/fstab"
cp -L "$rootfs/vmlinuz" "$work/vmlinuz"
cp -L "$rootfs/initrd.img" "$work/initrd.img"
mkfs.ext4 -q -F -L brisklet -d "$rootfs" "$work/disk.img" 4G >/dev/null
rm -rf "$rootfs"

# The Wine prefix is made once, here: inside the guest that takes a minute.
# The init's first Wine start makes it; the job puts in the settings that
# every prefix of ours holds (scripts/wine_prefix.sh) and reads them back
# from the registry files.
mkdir "$work/prefix-job"
cp "$ROOT/scripts/wine_prefix.sh" "$work/prefix-job/"
cat >"$work/prefix-job/job.sh" <<'EOF'
WINE=wine WINESERVER=wineserver
. ./wine_prefix.sh
prefix_ready && test -z "$(prefix_missing_settings)" && echo "prefix ready"
EOF
BRISKLET_GUEST_IMAGE="$work" "$ROOT/scripts/guest_run.sh" --writable "$work/prefix-job" 600 >"$work/prefix.log" 2>&1 ||
    { echo "guest_image: making the Wine prefix failed:" >&2; cat "$work/prefix.log" >&2; exit 1; }
grep -q "prefix ready" "$work/prefix-job/job.out" ||
    { echo "guest_image: no Wine prefix after the first boot:" >&2; cat "$work/prefix.log" >&2; exit 1; }
rm -rf "$work/prefix-job" "$work"/*.log
touch "$work/ready"

# One image at a time: an older key's image is of no more use.
find "$CACHE" -mindepth 1 -maxdepth 1 -type d ! -name "build.*" ! -path "$work" -exec rm -rf {} +
mv "$work" "$image"
trap - EXIT
echo "$image"
