# Sourced by the scripts that run TarnLib under Wine: a private prefix inside
# the build tree, no debug chatter, no Mono or Gecko installers, and every Wine
# call under a time limit so that nothing can hang a test run.
TARN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The folder of the test prefixes (build/ unless TARN_WINEPREFIXES names
# another: the x86 guest keeps them on its own disk).
TARN_WINEPREFIXES=${TARN_WINEPREFIXES:-$TARN_ROOT/build}
export WINEPREFIX="${TARN_WINEPREFIX:-$TARN_WINEPREFIXES/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# The virtual display of the test run (tests/wine/xvfb_session.sh), when one is up.
if [ -s "$TARN_ROOT/build/xvfb/display" ] && kill -0 "$(cat "$TARN_ROOT/build/xvfb/pid" 2>/dev/null)" 2>/dev/null; then
  export DISPLAY
  DISPLAY=$(cat "$TARN_ROOT/build/xvfb/display")
fi

# Each bitness has its own loader, named outright: Debian's "wine" wrapper
# prefers the 32-bit loader wherever it runs, which would silently turn a
# 64-bit run into a 32-bit one, and "wine64" is not on PATH on Debian.
TARN_WINE64_LOADER=/usr/lib/wine/wine64
TARN_WINE32_LOADER=/usr/lib/wine/wine
# Wine's 32-bit system DLLs (package libwine:i386). The 64-bit loader runs
# 32-bit programs in WoW64 mode with them where the kernel cannot start the
# 32-bit loader; Debian's 64-bit Wine looks for them only in its own folder.
TARN_WINE32_DLLS=/usr/lib/i386-linux-gnu/wine
TARN_WINE_WOW64_DLL=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/wow64.dll

# wine32_detect: how this machine runs 32-bit Windows programs. Sets
# TARN_WINE32_WAY to "loader" (Wine's 32-bit loader), "wow64" (the 64-bit
# loader in WoW64 mode) or "none", and TARN_WINE32_WHY to a one-line reason
# for "none"; fails for "none". TARN_WINE32=off answers "none" as a machine
# without 32-bit Wine would, so that the skip path can be tried anywhere.
wine32_detect() {
  TARN_WINE32_WAY=none
  TARN_WINE32_WHY=
  if [ "${TARN_WINE32:-auto}" = off ]; then
    TARN_WINE32_WHY="32-bit Wine switched off with TARN_WINE32=off"
    return 1
  fi
  local failure
  if [ ! -x "$TARN_WINE32_LOADER" ]; then
    failure="is not installed (package wine32:i386)"
  elif failure=$("$TARN_WINE32_LOADER" --version 2>&1 >/dev/null); then
    TARN_WINE32_WAY=loader
    return 0
  else
    # The shell's message ends with the kernel's reason, e.g. "Exec format error".
    failure="cannot start (${failure##*: })"
  fi
  if [ ! -f "$TARN_WINE32_DLLS/i386-windows/ntdll.dll" ] || [ ! -f "$TARN_WINE_WOW64_DLL" ]; then
    TARN_WINE32_WHY="Wine's 32-bit loader $TARN_WINE32_LOADER $failure, and WoW64 mode lacks"
    TARN_WINE32_WHY+=" $TARN_WINE32_DLLS/i386-windows/ntdll.dll or $TARN_WINE_WOW64_DLL"
    return 1
  fi
  if ! wine32_wow64_runs; then
    TARN_WINE32_WHY="Wine's 32-bit loader $TARN_WINE32_LOADER $failure, and WoW64 mode does not run"
    TARN_WINE32_WHY+=" 32-bit programs either (a trial with its own 32-bit cmd.exe failed)"
    return 1
  fi
  TARN_WINE32_WAY=wow64
  return 0
}

# wine32_wow64_runs: whether the 64-bit loader really runs a 32-bit program in
# WoW64 mode. That mode still executes 32-bit code on the kernel's 32-bit code
# segment, which a kernel with its IA-32 emulation switched off does not offer,
# so having the DLLs is not enough. Tried once per boot with Wine's own 32-bit
# cmd.exe in a scratch prefix (about half a minute); the answer is kept in
# build/wine32-wow64, under a lock, since tests ask at the same time.
wine32_wow64_runs() {
  local cache="$TARN_ROOT/build/wine32-wow64" boot
  boot=$(cat /proc/sys/kernel/random/boot_id 2>/dev/null || uname -r)
  mkdir -p "$TARN_ROOT/build"
  (
    flock 9
    if [ "$(sed -n 1p "$cache" 2>/dev/null)" != "$boot" ]; then
      local probe answer=no
      probe=$(mktemp -d)
      if WINEPREFIX="$probe" WINEDLLPATH="$TARN_WINE32_DLLS" timeout --kill-after=10 240 "$TARN_WINE64_LOADER" \
        "$(wine_path "$TARN_WINE32_DLLS/i386-windows/cmd.exe")" /c echo tarn-wow64 2>/dev/null | grep -q tarn-wow64; then
        answer=yes
      fi
      WINEPREFIX="$probe" timeout 60 wineserver -k >/dev/null 2>&1
      WINEPREFIX="$probe" timeout 60 wineserver -w >/dev/null 2>&1
      rm -rf "$probe"
      printf '%s\n%s\n' "$boot" "$answer" >"$cache"
    fi
  ) 9>"$cache.lock"
  [ "$(sed -n 2p "$cache" 2>/dev/null)" = yes ]
}

# wine32_description: one line naming the way 32-bit programs run here.
wine32_description() {
  case "$TARN_WINE32_WAY" in
    loader) echo "Wine's 32-bit loader $TARN_WINE32_LOADER" ;;
    wow64) echo "Wine's 64-bit loader $TARN_WINE64_LOADER in WoW64 mode (32-bit DLLs from $TARN_WINE32_DLLS)" ;;
    *) echo "no way: $TARN_WINE32_WHY" ;;
  esac
}

# wine_bits 64|32: later wine_run calls start programs of that bitness, and
# TARN_SYSTEM is the folder of its system programs (regsvr32.exe, cscript.exe).
# Fails for 32 where this machine cannot run 32-bit programs.
wine_bits() {
  TARN_BITS_RUN=$1
  unset WINEDLLPATH
  if [ "$1" = 32 ]; then
    TARN_SYSTEM='C:\windows\syswow64\'
    TARN_WINE_LOADER=$TARN_WINE32_LOADER
    wine32_detect || return 1
    if [ "$TARN_WINE32_WAY" = wow64 ]; then
      TARN_WINE_LOADER=$TARN_WINE64_LOADER
      export WINEDLLPATH=$TARN_WINE32_DLLS
    fi
  else
    TARN_SYSTEM='C:\windows\system32\'
    TARN_WINE_LOADER=$TARN_WINE64_LOADER
  fi
}

# wine_check_host OUTPUT: OUTPUT has the line "script host:
# PROCESSOR_ARCHITECTURE=..." of a script that ran in a process of the bitness
# chosen with wine_bits (a 32-bit process says x86 even on 64-bit Windows).
wine_check_host() {
  local want=AMD64 line
  [ "$TARN_BITS_RUN" = 32 ] && want=x86
  line=$(printf '%s\n' "$1" | grep -m 1 '^script host: ')
  if [[ ! "$line" =~ ^script\ host:\ PROCESSOR_ARCHITECTURE=$want(,|$) ]]; then
    echo "expected a ${TARN_BITS_RUN}-bit script host (PROCESSOR_ARCHITECTURE=$want), got: ${line:-no script host line}" >&2
    return 1
  fi
}

# wine_run SECONDS PROGRAM [ARGS...]: SECONDS is the limit on this host;
# under emulation TARN_TIME_SCALE multiplies it.
wine_run() {
  local limit=$(($1 * ${TARN_TIME_SCALE:-1}))
  shift
  timeout --kill-after=10 "$limit" "$TARN_WINE_LOADER" "$@"
}

# Windows form (Z:\...) of a Linux path.
wine_path() {
  local p
  p=$(realpath "$1")
  echo "Z:${p//\//\\}"
}

# The prefix is 64-bit: it is made and started by the 64-bit loader whatever
# bitness the caller runs.
# Where 32-bit programs run in WoW64 mode, the prefix's 32-bit system folder
# (syswow64) is filled only by a wineboot that sees Wine's 32-bit DLLs, so the
# prefix is made, or brought up to date once, with them in view.
wine_start() {
  mkdir -p "$WINEPREFIX"
  local boot_env=()
  if wine32_detect && [ "$TARN_WINE32_WAY" = wow64 ]; then
    boot_env=("WINEDLLPATH=$TARN_WINE32_DLLS")
  fi
  # A persistent wineserver makes every later Wine start fast.
  timeout 30 wineserver -p >/dev/null 2>&1
  if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ] && [ -n "${TARN_WINEPREFIX_TEMPLATE:-}" ]; then
    # A copy of a prefix made earlier (the x86 guest has one) is much faster
    # than a first wineboot.
    rmdir "$WINEPREFIX" 2>/dev/null
    cp -a "$TARN_WINEPREFIX_TEMPLATE" "$WINEPREFIX"
  fi
  if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    env "${boot_env[@]}" timeout --kill-after=10 300 "$TARN_WINE64_LOADER" wineboot.exe -i >/dev/null 2>&1
  elif [ ${#boot_env[@]} -gt 0 ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    env "${boot_env[@]}" timeout --kill-after=10 300 "$TARN_WINE64_LOADER" wineboot.exe -u >/dev/null 2>&1
  fi
  env "${boot_env[@]}" timeout --kill-after=10 120 "$TARN_WINE64_LOADER" wineboot.exe >/dev/null 2>&1
  [ -d "$WINEPREFIX/drive_c/windows/system32" ]
}

wine_stop() {
  timeout 60 wineserver -k >/dev/null 2>&1 || true
  timeout 60 wineserver -w >/dev/null 2>&1 || true
}

wine_bits "${TARN_WINE_BITS:-64}" || true
