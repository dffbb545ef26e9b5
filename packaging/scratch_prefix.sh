# Sourced: a scratch Wine prefix whose registry can be put back to the state it
# had right after it was made, and snapshots of that registry. Used to take a
# DLL's registration as rows for the installer and to compare what the
# installer writes with what regsvr32 writes.
#
# scratch_prefix DIR: makes (once) and selects the prefix DIR.
scratch_prefix() {
  export TARN_WINEPREFIX=$1
  . "$(dirname "${BASH_SOURCE[0]}")/../tests/wine/wine_env.sh"
  if [ ! -f "$WINEPREFIX/pristine.system.reg" ]; then
    rm -rf "$WINEPREFIX"
    # Made with the 32-bit DLLs in reach where WoW64 mode is the way, as the
    # test sessions do.
    (wine_bits 32 || true; wine_start) || { echo "cannot make the Wine prefix $WINEPREFIX" >&2; return 1; }
    scratch_flush
    cp "$WINEPREFIX/system.reg" "$WINEPREFIX/pristine.system.reg"
    cp "$WINEPREFIX/user.reg" "$WINEPREFIX/pristine.user.reg"
  fi
}

# scratch_flush: stops the prefix's wineserver, which writes the registry files.
scratch_flush() {
  timeout 60 wineserver -k >/dev/null 2>&1 || true
  timeout 60 wineserver -w >/dev/null 2>&1 || true
}

# scratch_reset: the registry as it was right after the prefix was made, and
# no TarnLib folder in the program folders.
scratch_reset() {
  scratch_flush
  cp "$WINEPREFIX/pristine.system.reg" "$WINEPREFIX/system.reg"
  cp "$WINEPREFIX/pristine.user.reg" "$WINEPREFIX/user.reg"
  rm -rf "$WINEPREFIX/drive_c/Program Files/TarnLib" "$WINEPREFIX/drive_c/Program Files (x86)/TarnLib"
}

# scratch_snapshot NAME: copies of the registry files as NAME.system.reg and
# NAME.user.reg in the prefix folder.
scratch_snapshot() {
  scratch_flush
  cp "$WINEPREFIX/system.reg" "$WINEPREFIX/$1.system.reg"
  cp "$WINEPREFIX/user.reg" "$WINEPREFIX/$1.user.reg"
}

# scratch_install_dir BITS: the Linux path of the folder the installer gives
# the DLL of that bitness.
scratch_install_dir() {
  if [ "$1" = 64 ]; then
    echo "$WINEPREFIX/drive_c/Program Files/TarnLib"
  else
    echo "$WINEPREFIX/drive_c/Program Files (x86)/TarnLib"
  fi
}

# scratch_windows_dll BITS: the Windows path of that DLL.
scratch_windows_dll() {
  if [ "$1" = 64 ]; then
    echo 'C:\Program Files\TarnLib\TarnLib.dll'
  else
    echo 'C:\Program Files (x86)\TarnLib\TarnLib.dll'
  fi
}

# scratch_registration BITS DLL OUT.json: runs regsvr32 of that bitness on a
# copy of DLL at the installer's path, on a reset prefix, and writes the rows
# it wrote under the classes key. Fails where programs of that bitness cannot
# run.
scratch_registration() {
  local bits=$1 dll=$2 out=$3 dir
  wine_bits "$bits" || { echo "no ${bits}-bit Wine: $TARN_WINE32_WHY" >&2; return 77; }
  scratch_reset
  dir=$(scratch_install_dir "$bits")
  mkdir -p "$dir"
  cp "$dll" "$dir/TarnLib.dll"
  if ! wine_run 120 "${TARN_SYSTEM}regsvr32.exe" /s "$(scratch_windows_dll "$bits")"; then
    echo "regsvr32 (${bits}-bit) failed on $dll" >&2
    return 1
  fi
  scratch_snapshot registered
  python3 "$(dirname "${BASH_SOURCE[0]}")/registry_rows.py" diff "$WINEPREFIX/pristine.system.reg" \
    "$WINEPREFIX/registered.system.reg" > "$out"
  scratch_reset
}
