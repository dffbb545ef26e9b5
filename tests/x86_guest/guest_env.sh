# Sourced by the scripts of the x86 guest: where its files are kept, and how a
# job is run in it. The guest is a small Debian system with a 64-bit kernel
# and Debian's 64-bit and 32-bit Wine, booted under full-system emulation
# (qemu-system-x86_64) for hosts whose kernel runs no 32-bit code or that
# cannot install 32-bit Wine. Nothing here is fetched at run time.
TARN_ROOT=${TARN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
TARN_GUEST_DIR=${TARN_GUEST_DIR:-$TARN_ROOT/build/x86-guest}
TARN_GUEST_IMAGE=$TARN_GUEST_DIR/root.ext4
TARN_GUEST_KERNEL=$TARN_GUEST_DIR/vmlinuz
TARN_GUEST_INITRD=$TARN_GUEST_DIR/initrd.img
TARN_GUEST_STAMP=$TARN_GUEST_DIR/stamp
# The guest's Wine prefixes, made when the guest is built and fresh at every
# boot (the image is never written by a run).
TARN_GUEST_PREFIXES=/var/lib/tarn

# guest_accel: "tcg" (software emulation), or "kvm" with TARN_X86_ACCEL=kvm
# where /dev/kvm answers. Software emulation is the default: nested KVM on
# the virtual machines the project runs on refuses the CPU's model-specific
# registers or hangs the guest's boot.
guest_accel() {
  if [ "${TARN_X86_ACCEL:-tcg}" = kvm ] && [ -r /dev/kvm ] && [ -w /dev/kvm ] &&
    python3 -c 'import fcntl, os; fcntl.ioctl(os.open("/dev/kvm", os.O_RDWR), 0xAE00)' 2>/dev/null; then
    echo kvm
  else
    echo tcg
  fi
}

# guest_time_scale: by how much time limits grow in the guest. Software
# emulation runs Wine about five times slower than the host.
guest_time_scale() {
  [ "$(guest_accel)" = kvm ] && echo 2 || echo 6
}

# guest_ready: the guest's files are there, made by this version of the
# build script, and its Wine prefix is made.
guest_ready() {
  [ -f "$TARN_GUEST_IMAGE" ] && [ -f "$TARN_GUEST_KERNEL" ] && [ -f "$TARN_GUEST_INITRD" ] &&
    [ "$(cat "$TARN_GUEST_STAMP" 2>/dev/null)" = "$(guest_recipe_id) prefix" ]
}

# guest_recipe_id: changes whenever what goes into the guest changes.
guest_recipe_id() {
  cat "$TARN_ROOT/tests/x86_guest/build_guest.sh" "$TARN_ROOT/tests/x86_guest/guest_init.sh" | sha256sum | cut -c1-16
}

# guest_boot JOB_DIR SECONDS [--keep]: boots the guest on the job in JOB_DIR
# (job.sh, shares: one "TAG PATH" line per folder to share at PATH), waits for
# it to power off, at most SECONDS, streaming the job's output to standard
# output. The job's exit status is JOB_DIR/status. With --keep the image keeps
# what the job wrote (used only while building the guest); otherwise every boot
# starts from the image as built.
guest_boot() {
  local job=$1 limit=$2 keep=${3:-} accel snapshot=on cpu n=0 tag path
  local args=()
  accel=$(guest_accel)
  [ "$keep" = --keep ] && snapshot=off
  if [ "$accel" = kvm ]; then
    args+=(-accel kvm -cpu host)
  else
    # Without smap=off the guest kernel oopses when Wine returns to user mode.
    args+=(-accel tcg,thread=multi -cpu max,smap=off)
  fi
  args+=(-virtfs "local,path=$job,mount_tag=job,security_model=none,multidevs=remap")
  while read -r tag path; do
    [ -n "$tag" ] || continue
    args+=(-virtfs "local,path=$path,mount_tag=$tag,security_model=none,multidevs=remap")
    n=$((n + 1))
  done <"$job/shares"
  : >"$job/out"
  timeout --kill-after=10 "$limit" qemu-system-x86_64 "${args[@]}" \
    -smp "$(nproc)" -m 3G -display none -monitor none -nic none -no-reboot \
    -serial "file:$job/console.log" \
    -device virtio-serial-pci -chardev "file,id=out,path=$job/out" -device virtconsole,chardev=out \
    -drive "file=$TARN_GUEST_IMAGE,format=raw,if=virtio,snapshot=$snapshot" \
    -kernel "$TARN_GUEST_KERNEL" -initrd "$TARN_GUEST_INITRD" \
    -append "root=/dev/vda rw console=ttyS0 quiet panic=1 init=/sbin/tarn-guest-init" &
  local qemu=$!
  tail -n +1 -f --pid=$qemu "$job/out" 2>/dev/null
  wait $qemu
  local rc=$?
  if [ ! -f "$job/status" ]; then
    echo "x86 guest: the job did not finish (qemu exit status $rc$([ $rc = 124 ] && echo ", time limit of ${limit}s"));" \
      "last lines of its console:" >&2
    tail -n 20 "$job/console.log" >&2
    return 1
  fi
}
