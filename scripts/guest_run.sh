#!/usr/bin/env bash
# Runs FOLDER/job.sh inside the i686 guest (see guest_image.sh) and exits
# with its exit code; its output shows as it comes and lands in
# FOLDER/job.out, and files the job writes in its folder come back to
# FOLDER. 124: the guest ran out of time; 125: the guest gave no result.
#   scripts/guest_run.sh [--writable] FOLDER [SECONDS]
# --writable keeps what the guest writes to its disk (used once, to make the
# image's Wine prefix); otherwise every run starts from the same image.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
snapshot=on
if [[ "${1:-}" == "--writable" ]]; then snapshot=off; shift; fi
[[ $# -ge 1 && -f "$1/job.sh" ]] || { echo "usage: guest_run.sh [--writable] FOLDER [SECONDS] (FOLDER holds job.sh)" >&2; exit 2; }
folder="$(cd "$1" && pwd)"
seconds="${2:-3600}"
# The image, built first if this machine has none yet.
image="${BRISKLET_GUEST_IMAGE:-$("$ROOT/scripts/guest_image.sh" | tail -n 1)}" ||
    { echo "guest: the image could not be built" >&2; exit 125; }

rm -f "$folder/job.rc" "$folder/job.out"
console="$(mktemp /tmp/brisklet-guest-console.XXXXXX)"
trap 'rm -f "$console"' EXIT
# Software emulation only (the KVM here is paravirtual and of no use).
# SMAP off: with it QEMU faults on the 32-bit iret that Wine uses. No
# network; the disk is a throw-away snapshot.
timeout -k 10 "$((seconds + 60))" qemu-system-x86_64 \
    -accel tcg,thread=multi -cpu max,-smap -smp 2 -m 4096 \
    -nodefaults -no-reboot -display none -monitor none -nic none \
    -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
    -append "console=ttyS0 root=/dev/vda rw quiet panic=-1 init=/usr/local/sbin/brisklet-guest-init BRISKLET_JOB_TIMEOUT=$seconds" \
    -drive "file=$image/disk.img,format=raw,if=virtio,snapshot=$snapshot" \
    -virtfs "local,path=$folder,mount_tag=job,security_model=none,id=job" \
    -serial "file:$console" -chardev stdio,id=out,signal=off -serial chardev:out </dev/null
qemu_rc=$?
if [[ -f "$folder/job.rc" ]]; then
    rc="$(cat "$folder/job.rc")"
    [[ "$rc" == 124 ]] && echo "guest: the job ran out of its $seconds s"
    exit "$rc"
fi
if [[ $qemu_rc == 124 ]]; then echo "guest: no result within $seconds s"; rc=124; else echo "guest: no result (qemu exit $qemu_rc)"; rc=125; fi
echo "guest: last lines of its console:"; tail -n 30 "$console"
exit $rc
