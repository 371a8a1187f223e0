#!/bin/sh
# The i686 guest's first and only process (installed in the image as
# /usr/local/sbin/brisklet-guest-init). Mounts the job folder that the host
# shares over 9p, runs its job.sh with a display, the local network and a
# running Wine, writes job.out and job.rc back to the share and powers off.
#
# The job runs in a copy of the folder on the guest's own disk: Wine maps
# programs into memory, and pages mapped from a 9p file can read as zeros.
# Files the job writes or changes are copied back before power-off.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
mount -o remount,rw /
ip link set lo up
hostname brisklet-guest

modprobe 9pnet_virtio 2>/dev/null
mkdir -p /mnt/job
if ! mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288 job /mnt/job; then
    echo "guest: no job folder shared" >/dev/console
    echo o >/proc/sysrq-trigger
fi

JOB=/var/tmp/job
rm -rf "$JOB"
cp -a /mnt/job "$JOB"
rm -f "$JOB/job.out" "$JOB/job.rc"
touch /run/job.started
sleep 1

# UTF-8 file names, or Wine cannot make a file whose name is beyond ASCII.
export LANG=C.UTF-8
export HOME=/root WINEPREFIX=/root/.wine WINEARCH=win32 WINEDEBUG=-all DISPLAY=:0
export WINEDLLOVERRIDES="mscoree,mshtml="
Xvfb :0 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X0 ] && break; sleep 0.1; done
# The first Wine program starts the prefix's services, which outlive it and
# keep its output: started here on none, so they hold no pipe of the job.
wineserver -p >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

# The job's output goes to the second serial port as it comes, which the
# host shows live, and into job.out.
stty -F /dev/ttyS1 raw -echo 2>/dev/null
cd "$JOB"
( timeout "${BRISKLET_JOB_TIMEOUT:-3000}" sh ./job.sh </dev/null 2>&1; echo $? >/run/job.rc ) |
    tee /run/job.out >/dev/ttyS1
rc=$(cat /run/job.rc 2>/dev/null || echo 125)
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1

# Back to the share: what the job wrote, then the output, then the code,
# which the host takes as the sign that the run is complete.
(cd "$JOB" && find . -type f -newer /run/job.started) | while read -r f; do
    mkdir -p "/mnt/job/$(dirname "$f")"
    cp "$JOB/$f" "/mnt/job/$f"
done
cp /run/job.out /mnt/job/job.out
echo "$rc" >/mnt/job/job.rc
sync
umount /mnt/job
mount -o remount,ro / 2>/dev/null
# No init system in the image: power off straight through the kernel.
echo o >/proc/sysrq-trigger
sleep 10
