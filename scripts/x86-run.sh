#!/usr/bin/env bash
# x86-run.sh [--register DLL]... -- PROGRAM [ARG...]
#   Runs the 32-bit Windows program PROGRAM with its arguments in a fresh
#   private Wine prefix in which each DLL given with --register has first been
#   registered by the 32-bit regsvr32. PROGRAM is a file in the current folder
#   (an .exe, or a .cmd or .bat run by cmd.exe /c) or a program of Wine's
#   32-bit system folder (cscript.exe, cmd.exe, regsvr32.exe, reg.exe...). The
#   current folder and its files are the program's current folder; a virtual
#   display (Xvfb) is there for windows. The program's output comes back on
#   standard output, and its exit status is this script's.
#
# x86-run.sh --shell -- COMMAND [ARG...]
#   Runs a Linux command where 32-bit Windows programs run, with the project
#   tree and the current folder at their own paths: the project's own 32-bit
#   suites use it to run under one boot of the guest.
#
# Where this host runs 32-bit Windows programs (Debian's wine32), they run
# here. Where it does not (a kernel without 32-bit support, or no wine32 to
# install), they run in a small Debian guest under full-system emulation,
# built once by tests/x86_guest/build_guest.sh into build/x86-guest and booted
# for each run. TARN_X86_RUNNER=guest chooses the guest anyway,
# TARN_X86_ACCEL=tcg software emulation even where KVM is there.
#
# Exit status: the program's; 125 when the runner itself cannot run it (bad
# arguments, a DLL that does not register, no way to run 32-bit programs).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  echo "usage: x86-run.sh [--register DLL]... -- PROGRAM [ARG...]" >&2
  echo "       x86-run.sh --shell -- COMMAND [ARG...]" >&2
  exit 125
}

dlls=()
shell=0
while [ $# -gt 0 ]; do
  case "$1" in
    --register) [ $# -ge 2 ] || usage; dlls+=("$(realpath "$2")"); shift 2 ;;
    --shell) shell=1; shift ;;
    --) shift; break ;;
    *) usage ;;
  esac
done
[ $# -ge 1 ] || usage
[ $shell = 1 ] && [ ${#dlls[@]} -gt 0 ] && usage
for dll in "${dlls[@]}"; do
  [ -f "$dll" ] || { echo "x86-run: no such DLL: $dll" >&2; exit 125; }
done

# Which way: this host, or the guest.
way=guest
if [ "${TARN_X86_RUNNER:-auto}" != guest ]; then
  if TARN_WINE_BITS=64 . "$root/tests/wine/wine_env.sh" && wine32_detect; then
    way=host
  fi
fi

if [ $way = guest ]; then
  . "$root/tests/x86_guest/guest_env.sh"
  if ! guest_ready; then
    echo "x86-run: building the x86 guest (once; about 4 minutes)" >&2
    "$root/tests/x86_guest/build_guest.sh" >&2 || { echo "x86-run: no x86 guest" >&2; exit 125; }
  fi
  job=$(mktemp -d)
  trap 'rm -rf "$job"' EXIT
  here=$(pwd -P)
  # Folders shared with the guest at their own paths: the project, the
  # current folder and those of the DLLs, each once.
  shares=("$root")
  for folder in "$here" "${dlls[@]%/*}"; do
    inside=0
    for shared in "${shares[@]}"; do
      case "$folder/" in "$shared"/*) inside=1 ;; esac
    done
    [ $inside = 1 ] || shares+=("$folder")
  done
  n=0
  for folder in "${shares[@]}"; do
    echo "share$n $folder" >>"$job/shares"
    n=$((n + 1))
  done
  scale=$(guest_time_scale)
  {
    # A UTF-8 locale, as on the host: Wine gives files their Unicode names in it.
    echo "export HOME=/root USER=root LANG=C.UTF-8 TARN_X86_IN_GUEST=1 TARN_X86_RUNNER=host TARN_TIME_SCALE=$scale"
    echo "export TARN_WINEPREFIXES=/var/tmp/tarn-prefixes TARN_WINEPREFIX_TEMPLATE=$TARN_GUEST_PREFIXES/template"
    echo "mkdir -p /var/tmp/tarn-prefixes"
    # The caller's TARN_ settings, but for the ones that describe this host.
    env | grep -E '^(TARN_[A-Z0-9_]+|CI)=' | grep -v -E '^TARN_(X86_|WINEPREFIX|TIME_SCALE|ROOT=|GUEST_)' |
      while IFS= read -r line; do printf 'export %q\n' "$line"; done
    printf 'cd %q || exit 125\n' "$here"
    # Through a pipe, as on a host: on the guest's console Wine would take
    # the output for a terminal's and add its control sequences.
    echo 'job() {'
    if [ $shell = 1 ]; then
      printf ' %q' "$@"
      echo
    else
      printf ' %q' "$root/scripts/x86-run.sh"
      for dll in "${dlls[@]}"; do printf ' --register %q' "$dll"; done
      printf ' --'
      printf ' %q' "$@"
      echo
    fi
    echo '}'
    echo 'stty -opost <&1 2>/dev/null'
    echo 'job 2>&1 | cat'
    echo 'exit "${PIPESTATUS[0]}"'
  } >"$job/job.sh"
  # The guest's own limit: generous, since the caller's time limits are the
  # ones that should speak first.
  guest_boot "$job" "${TARN_X86_GUEST_LIMIT:-7200}" || exit 125
  exit "$(cat "$job/status")"
fi

# On this host (or inside the guest).
if [ $shell = 1 ]; then
  export TARN_WINE_BITS=32
  exec "$@"
fi

. "$root/tests/wine/wine_env.sh"
wine_bits 32 || { echo "x86-run: $TARN_WINE32_WHY" >&2; exit 125; }
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  WINEPREFIX=$prefix timeout 60 wineserver -k >/dev/null 2>&1
  WINEPREFIX=$prefix timeout 60 wineserver -w >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
if [ "${TARN_X86_IN_GUEST:-0}" = 1 ]; then
  # Every boot of the guest starts from its image: its prefix is fresh.
  prefix=$TARN_WINEPREFIX_TEMPLATE
else
  prefix=$work/prefix
fi
trap cleanup EXIT
export WINEPREFIX=$prefix
if [ ! -d "$prefix/drive_c" ]; then
  timeout --kill-after=10 $((300 * ${TARN_TIME_SCALE:-1})) "$TARN_WINE64_LOADER" wineboot.exe -i >/dev/null 2>&1 ||
    { echo "x86-run: cannot make a Wine prefix" >&2; exit 125; }
fi
# A display of our own for the program's windows.
if command -v Xvfb >/dev/null; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] && export DISPLAY=":$(tr -d '\n' <"$work/display")"
fi
timeout 30 wineserver -p >/dev/null 2>&1
for dll in "${dlls[@]}"; do
  if ! wine_run 180 "${TARN_SYSTEM}regsvr32.exe" /s "$(wine_path "$dll")"; then
    echo "x86-run: the 32-bit regsvr32 did not register $dll" >&2
    exit 125
  fi
done

program=$1
shift
if [ -f "$program" ]; then
  case "${program,,}" in
    *.cmd | *.bat) set -- /c "$program" "$@"; program="${TARN_SYSTEM}cmd.exe" ;;
    *.exe) ;;
    *) echo "x86-run: $program is neither an .exe nor a .cmd" >&2; exit 125 ;;
  esac
elif [ -f "$prefix/drive_c/windows/syswow64/${program,,}" ] || [ -f "$prefix/drive_c/windows/syswow64/$program" ]; then
  program="${TARN_SYSTEM}$program"
else
  echo "x86-run: $program is neither a file in the current folder nor a program of Wine's 32-bit system folder" >&2
  exit 125
fi
wine_run "${TARN_X86_LIMIT:-3600}" "$program" "$@"
