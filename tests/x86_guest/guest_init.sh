#!/bin/bash
# The first and only process of the x86 guest (kernel option init=): mounts
# what a Wine run needs, the folders the host shares over 9p at the paths the
# host gives them, runs the job the host wrote, records its exit status beside
# it and powers the machine off. The job's output goes to the virtio console,
# which the host reads as a file.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mountpoint -q /dev || mount -t devtmpfs devtmpfs /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
hostname "$(cat /etc/hostname)"
# Name lookups of the machine itself need loopback up and the names in /etc/hosts.
ip link set lo up
for module in 9pnet_virtio 9p virtio_console; do modprobe "$module"; done

power_off() {
  sync
  echo o >/proc/sysrq-trigger
  sleep 60
}

share_options=trans=virtio,version=9p2000.L,msize=524288,cache=none
mkdir -p /job
if ! mount -t 9p -o "$share_options" job /job; then
  echo "guest: the job folder was not shared" >/dev/console
  power_off
fi
# One line per share: TAG PATH.
while read -r tag path; do
  [ -n "$tag" ] || continue
  mkdir -p "$path"
  mount -t 9p -o "$share_options" "$tag" "$path" || echo "guest: cannot mount $tag at $path" >/dev/console
done </job/shares

out=/dev/hvc0
[ -c "$out" ] || out=/dev/console
bash /job/job.sh >"$out" 2>&1 </dev/null
echo "$?" >/job/status.tmp
mv /job/status.tmp /job/status
power_off
