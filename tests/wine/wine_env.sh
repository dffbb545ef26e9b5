# Sourced by the scripts that run TarnLib under Wine: a private prefix inside
# the build tree, no debug chatter, no Mono or Gecko installers, and every Wine
# call under a time limit so that nothing can hang a test run.
TARN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX="${TARN_WINEPREFIX:-$TARN_ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# The virtual display of the test run (tests/wine/xvfb_session.sh), when one is up.
if [ -s "$TARN_ROOT/build/xvfb/display" ] && kill -0 "$(cat "$TARN_ROOT/build/xvfb/pid" 2>/dev/null)" 2>/dev/null; then
  export DISPLAY
  DISPLAY=$(cat "$TARN_ROOT/build/xvfb/display")
fi
# Wine's 64-bit loader by default: Debian's "wine" wrapper tries the 32-bit one
# first. TARN_WINE_BITS=32 runs the 32-bit system programs instead.
TARN_WINE64=$(command -v wine64 || echo /usr/lib/wine/wine64)
if [ "${TARN_WINE_BITS:-64}" = 32 ]; then
  TARN_WINE_LOADER=/usr/lib/wine/wine
  TARN_SYSTEM='C:\windows\syswow64\'
else
  TARN_WINE_LOADER=$TARN_WINE64
  TARN_SYSTEM=''
fi

# wine_run SECONDS PROGRAM [ARGS...]
wine_run() {
  local limit=$1
  shift
  timeout --kill-after=10 "$limit" "$TARN_WINE_LOADER" "$@"
}

# Windows form (Z:\...) of a Linux path.
wine_path() {
  local p
  p=$(realpath "$1")
  echo "Z:${p//\//\\}"
}

wine_start() {
  mkdir -p "$WINEPREFIX"
  # A persistent wineserver makes every later Wine start fast.
  timeout 30 wineserver -p >/dev/null 2>&1
  if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    wine_run 300 wineboot.exe -i >/dev/null 2>&1
  fi
  wine_run 120 wineboot.exe >/dev/null 2>&1
  [ -d "$WINEPREFIX/drive_c/windows/system32" ]
}

wine_stop() {
  timeout 60 wineserver -k >/dev/null 2>&1 || true
  timeout 60 wineserver -w >/dev/null 2>&1 || true
}
