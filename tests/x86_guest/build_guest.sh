#!/usr/bin/env bash
# build_guest.sh: builds the x86 guest in build/x86-guest/ (kept for reuse;
# rebuilt only when its package list or its init changes): a Debian 12
# system from Debian's packages with a 64-bit kernel, 64-bit and 32-bit Wine,
# Xvfb and what the project's test scripts use, in a 5 GB ext4 image, and the
# kernel and initrd to boot it. The packages come from the suites bookworm and
# bookworm-updates of the mirror this host's apt uses, whose versions agree
# with each other (the security suite is left out: its i386 index is the one a
# mirror in sync breaks). Then the guest boots once to make its Wine prefixes,
# which every later run gets fresh. Needs root; installs qemu-system-x86 and
# mmdebstrap when they are missing. About 4 minutes the first time.
set -euo pipefail
. "$(dirname "$0")/guest_env.sh"
guest_ready && exit 0
[ "$(id -u)" = 0 ] || { echo "build_guest: needs root" >&2; exit 1; }
# One build at a time: a second caller waits and then finds the guest ready.
mkdir -p "$TARN_ROOT/build"
exec 9>"$TARN_ROOT/build/x86-guest.lock"
flock 9
guest_ready && exit 0

tools=()
for p in qemu-system-x86 mmdebstrap e2fsprogs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || tools+=("$p")
done
if [ ${#tools[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends "${tools[@]}" >/dev/null
fi

mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' 2>/dev/null |
  awk '$2 == "bookworm" { print $1; exit }')
[ -n "$mirror" ] || { echo "build_guest: this host's apt has no bookworm suite to take packages from" >&2; exit 1; }

mapfile -t packages < <(grep -v -e '^#' -e '^$' "$TARN_ROOT/tests/x86_guest/guest_packages")
started=$(date +%s)
# The system is kept when only making the prefix failed.
if [ "$(cat "$TARN_GUEST_STAMP" 2>/dev/null)" != "$(guest_recipe_id) system" ]; then
  rm -rf "$TARN_GUEST_DIR"
  mkdir -p "$TARN_GUEST_DIR"
  tree=$TARN_GUEST_DIR/tree
  init=$TARN_ROOT/tests/x86_guest/guest_init.sh
  mmdebstrap --quiet --variant=apt --architectures=amd64,i386 \
    --aptopt='APT::Install-Recommends "false"' \
    --include="$(IFS=,; echo "${packages[*]}")" \
    --customize-hook="copy-in $init /sbin/" \
    --customize-hook='mv "$1/sbin/guest_init.sh" "$1/sbin/tarn-guest-init"; chmod 755 "$1/sbin/tarn-guest-init"' \
    --customize-hook='echo tarn-guest >"$1/etc/hostname"' \
    --customize-hook='printf "127.0.0.1\tlocalhost\n127.0.1.1\ttarn-guest\n::1\tlocalhost ip6-localhost ip6-loopback\n" >"$1/etc/hosts"' \
    --customize-hook='rm -rf "$1/var/cache/apt/archives/"*.deb "$1/var/lib/apt/lists/"*' \
    bookworm "$tree" "deb $mirror bookworm main" "deb $mirror bookworm-updates main"
  cp "$(ls "$tree"/boot/vmlinuz-* | sort -V | tail -n 1)" "$TARN_GUEST_KERNEL"
  cp "$(ls "$tree"/boot/initrd.img-* | sort -V | tail -n 1)" "$TARN_GUEST_INITRD"
  mkfs.ext4 -q -F -L tarn-guest -d "$tree" "$TARN_GUEST_IMAGE" 8G
  rm -rf "$tree"
  fetched=$(date +%s)
  echo "$(guest_recipe_id) system" >"$TARN_GUEST_STAMP"
  echo "x86 guest: system built in $((fetched - started)) s"
fi
fetched=$(date +%s)

# The Wine prefixes, made once inside the guest with 32-bit Wine in view (so
# that syswow64 is filled) and kept in the image.
job=$(mktemp -d)
trap 'rm -rf "$job"' EXIT
: >"$job/shares"
cat >"$job/job.sh" <<JOB
set -ex
export HOME=/root USER=root WINEDEBUG=err+all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
rm -rf $TARN_GUEST_PREFIXES
mkdir -p $TARN_GUEST_PREFIXES
# Without a display Wine's first start cannot start its services and hangs.
Xvfb :9 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
export DISPLAY=:9
sleep 2
WINEPREFIX=$TARN_GUEST_PREFIXES/template timeout 900 /usr/lib/wine/wine64 wineboot.exe -i
# Under emulation on a busy host the first start takes many minutes.
WINEPREFIX=$TARN_GUEST_PREFIXES/template timeout 1500 wineserver -w
test -f $TARN_GUEST_PREFIXES/template/drive_c/windows/syswow64/cscript.exe
test -f $TARN_GUEST_PREFIXES/template/drive_c/windows/system32/cscript.exe
/usr/lib/wine/wine --version
echo prefix ready
JOB
if ! guest_boot "$job" 3000 --keep >/dev/null || [ "$(cat "$job/status")" != 0 ]; then
  echo "build_guest: making the Wine prefix in the guest failed:" >&2
  cat "$job/out" >&2
  exit 1
fi
echo "$(guest_recipe_id) prefix" >"$TARN_GUEST_STAMP"
echo "x86 guest: Wine prefix made in $(($(date +%s) - fetched)) s ($(guest_accel)); image $TARN_GUEST_IMAGE"
