#!/usr/bin/env bash
# msi_test.sh MSI DLL64 DLL32: the installer under Wine, in the scratch prefix
# build/wineprefix-release, from the state that prefix had when it was made.
#  1. msiexec /i /qn installs each DLL of the package into its program folder
#     (the same bytes as the build's DLL), with the type library, header and
#     README beside the 64-bit one;
#  2. every class works from cscript of each bitness in the package (and from
#     the client programs listed below);
#  3. msiexec /x /qn leaves no file, folder or key behind;
#  4. what the installer wrote under HKLM\Software\Classes is what regsvr32
#     writes for the same DLLs at the same paths, key for key, value for value:
#     the 64-bit regsvr32 in this prefix, the 32-bit one through
#     scripts/x86-run.sh (a fresh prefix of its own, exported with reg.exe),
#     so that the 32-bit rows the package derives are checked against a real
#     32-bit registration wherever the runner works;
#  5. installed per user, the same rows are written and removed again (Wine
#     does not activate classes registered per user, so nothing is called).
# A bitness whose programs Wine cannot run here is reported and skipped; when
# no bitness can run, the test exits with 77 (skipped).
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/packaging/scratch_prefix.sh"
msi=$(realpath "$1")
declare -A dll=([64]=$(realpath "$2") [32]=$(realpath "$3"))
rows="python3 $root/packaging/registry_rows.py"
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# Client programs run after the installation: "BITS COMMAND ARGS..." with the
# COMMAND run by tests/wine of that bitness. One line per client.
clients=(
  "64 $root/tests/wine/run_vbs.sh $root/tests/vbs/every_class_installed.vbs"
  "32 $root/tests/wine/run_vbs.sh $root/tests/vbs/every_class_installed.vbs"
  "64 $root/tests/wine/run_wine_program.sh $root/build/mingw64/tarnlib_apartment_tests.exe --bits=64"
  "32 $root/tests/wine/run_wine_program.sh $root/build/mingw32/tarnlib_apartment_tests.exe --bits=32"
)

scratch_prefix "$root/build/wineprefix-release" || exit 1
work=$(mktemp -d)
trap 'rm -rf "$work"; scratch_reset' EXIT

# The bitnesses the package carries, from its File table.
bits_in_package=()
files=$(msiinfo export "$msi" File)
for bits in 64 32; do
  grep -q "^TarnLib${bits}.dll" <<<"$files" && bits_in_package+=("$bits")
done
runnable=()
for bits in "${bits_in_package[@]}"; do
  if wine_bits "$bits"; then
    runnable+=("$bits")
  else
    echo "skipped for the ${bits}-bit DLL: $TARN_WINE32_WHY"
  fi
done
[ ${#runnable[@]} -gt 0 ] || { echo "skipped: no bitness of the package runs here"; exit 77; }
echo "package carries: ${bits_in_package[*]}-bit; run here: ${runnable[*]}-bit"

# msiexec /i|/x [PROPERTY=VALUE...]: the package, quietly, by the 64-bit
# msiexec as on 64-bit Windows.
msiexec() {
  local action=$1
  shift
  wine_bits 64
  wine_run 300 msiexec.exe /qn "$action" "$(wine_path "$msi")" "$@"
}

# 1. Install.
scratch_reset
ls "$WINEPREFIX/drive_c/windows/Installer" > "$work/installer-cache.before" 2>/dev/null
msiexec /i || fail "msiexec /i failed"
for bits in "${bits_in_package[@]}"; do
  cmp -s "${dll[$bits]}" "$(scratch_install_dir "$bits")/TarnLib.dll" ||
    fail "${bits}-bit DLL not installed as built in $(scratch_install_dir "$bits")"
done
for doc in TarnLib.tlb TarnLib_h.h TarnLib_i.c README.md LICENSE; do
  [ -f "$(scratch_install_dir 64)/$doc" ] || fail "$doc not installed"
done
scratch_snapshot installed
$rows diff "$WINEPREFIX/pristine.system.reg" "$WINEPREFIX/installed.system.reg" > "$work/msi.json"

# 2. Every class from each bitness's clients.
# Wine's own services start here, away from the clients' output pipes.
wine_start >/dev/null 2>&1
for client in "${clients[@]}"; do
  read -r bits command <<<"$client"
  [[ " ${runnable[*]} " == *" $bits "* ]] || { echo "skipped (${bits}-bit): $command"; continue; }
  echo "== ${bits}-bit: ${command#"$root/"}"
  TARN_WINE_BITS=$bits $command || fail "${bits}-bit client: $command"
done

# 3. Uninstall: nothing left.
msiexec /x || fail "msiexec /x failed"
scratch_snapshot removed
for bits in "${bits_in_package[@]}"; do
  [ -e "$(scratch_install_dir "$bits")" ] && fail "left behind: $(scratch_install_dir "$bits")"
done
left=$(find "$WINEPREFIX/drive_c" -iname '*tarnlib*')
[ -z "$left" ] || fail "files left behind: $left"
ls "$WINEPREFIX/drive_c/windows/Installer" > "$work/installer-cache.after" 2>/dev/null
cmp -s "$work/installer-cache.before" "$work/installer-cache.after" ||
  fail "the installer's cached package left behind: $(comm -13 "$work/installer-cache.before" "$work/installer-cache.after")"
$rows removed "$WINEPREFIX/pristine.system.reg" "$WINEPREFIX/removed.system.reg" "$work/msi.json" || fail "keys left in the machine's registry"
$rows removed "$WINEPREFIX/pristine.user.reg" "$WINEPREFIX/removed.user.reg" "$work/msi.json" || fail "keys left in the user's registry"

# 4. The same rows as regsvr32 writes, the 64-bit DLL's registered first.
# x86_registration OUT.json: the 32-bit regsvr32 on the 32-bit DLL at the
# installer's path, in the runner's fresh prefix; then reg.exe exports, in
# both views, each key that holds the installer's rows (CLSID\{...}, ProgIDs,
# ...), all new there. (Exporting the whole classes key twice takes over ten
# minutes under emulation.)
x86_registration() {
  local dir=$work/x86 dll32 n=0 key view
  [ -f "$root/scripts/x86-run.sh" ] || { echo "no scripts/x86-run.sh to run the 32-bit regsvr32"; return 77; }
  dll32=$(scratch_windows_dll 32)
  mkdir -p "$dir"
  cp "${dll[32]}" "$dir/TarnLib.dll"
  # One command a line, each checked on the next (Wine's cmd mishandles
  # "|| exit /b" after a redirection). A key missing in a view exports nothing.
  {
    printf '%s\r\n' '@echo off' "mkdir \"${dll32%\\*}\"" \
      "copy /y TarnLib.dll \"$dll32\" >nul" 'if errorlevel 1 exit /b 3' \
      "regsvr32 /s \"$dll32\"" 'if errorlevel 1 exit /b 4'
    while read -r key; do
      for view in '' 'Wow6432Node\'; do
        n=$((n + 1))
        printf 'reg export "HKLM\\Software\\Classes\\%s%s" key%03d.reg /y /reg:64 >nul 2>nul\r\n' "$view" "$key" $n
      done
    done < <($rows roots "$work/msi.json")
    printf '%s\r\n' 'echo registered'
  } > "$dir/register.cmd"
  local status=0
  (cd "$dir" && bash "$root/scripts/x86-run.sh" -- register.cmd) || status=$?
  # 125: the runner could not run anything here (no guest could be built).
  [ $status = 125 ] && { echo "scripts/x86-run.sh cannot run 32-bit programs here"; return 77; }
  [ $status = 0 ] || { echo "x86-run.sh register.cmd failed ($status)"; return 1; }
  $rows exported "$dir"/key*.reg > "$1"
}
compared=yes
scratch_registration 64 "${dll[64]}" "$work/regsvr32-64.json" || fail "regsvr32 64-bit"
parts=("$work/regsvr32-64.json")
if [[ " ${bits_in_package[*]} " == *" 32 "* ]]; then
  status=0
  x86_registration "$work/regsvr32-32.json" || status=$?
  case $status in
    0) parts+=("$work/regsvr32-32.json")
       echo "32-bit regsvr32 through scripts/x86-run.sh: $(grep -c '"key"' "$work/regsvr32-32.json") values" ;;
    77) compared=no ;;
    *) fail "the 32-bit regsvr32 could not be run through scripts/x86-run.sh" ;;
  esac
fi
$rows merge "${parts[@]}" > "$work/regsvr32.json"
if [ $compared = no ]; then
  echo "skipped: comparison with regsvr32 needs every bitness of the package to be registered"
elif $rows same "$work/regsvr32.json" "$work/msi.json"; then
  echo "the installer writes what regsvr32 writes: $(grep -c '"key"' "$work/msi.json") values"
else
  fail "the installer's rows differ from regsvr32's"
fi

# 5. Per user. Wine ignores MSIINSTALLPERUSER, so the per-user context is
# asked for with ALLUSERS="" (per user on Windows too). Wine writes the rows of
# root HKCR through HKEY_CLASSES_ROOT, which puts new keys under the machine's
# classes even in a per-user installation (Windows puts them under
# HKCU\Software\Classes): the test checks that the installation was made for
# the user, that every row is written (in either place) and that everything
# is removed again.
scratch_reset
msiexec /i 'ALLUSERS=""' || fail "per-user msiexec /i failed"
scratch_snapshot per_user
grep -q -F '[Software\\Microsoft\\Installer\\Products\\' "$WINEPREFIX/per_user.user.reg" ||
  fail "per user: the product is not registered for the user"
$rows diff "$WINEPREFIX/pristine.user.reg" "$WINEPREFIX/per_user.user.reg" > "$work/user.json"
$rows diff "$WINEPREFIX/pristine.system.reg" "$WINEPREFIX/per_user.system.reg" > "$work/user_machine.json"
python3 - "$work/msi.json" "$work/user.json" "$work/user_machine.json" <<'EOF' || fail "per-user installation: rows missing"
import json, sys
machine = {(r['view'], r['key'].lower(), r['name']) for r in json.load(open(sys.argv[1]))}
user = {(r['view'], r['key'].lower(), r['name']) for r in json.load(open(sys.argv[2]))}
user_machine = {(r['view'], r['key'].lower(), r['name']) for r in json.load(open(sys.argv[3]))}
for row in sorted(machine - user - user_machine):
    print('not written for the user: %s' % (row,))
print('per user: %d of %d values written, %d of them under HKCU\\Software\\Classes'
      % (len(machine & (user | user_machine)), len(machine), len(machine & user)))
sys.exit(0 if machine and machine <= user | user_machine else 1)
EOF
msiexec /x 'ALLUSERS=""' || fail "per-user msiexec /x failed"
scratch_snapshot per_user_removed
$rows removed "$WINEPREFIX/pristine.user.reg" "$WINEPREFIX/per_user_removed.user.reg" "$work/msi.json" || fail "per user: keys left"
$rows removed "$WINEPREFIX/pristine.system.reg" "$WINEPREFIX/per_user_removed.system.reg" "$work/msi.json" || fail "per user: machine keys left"

[ $failed = 0 ] || exit 1
echo "installer: installed, used, compared and removed"
# Everything else passed; without the comparison the test is not complete.
[ $compared = yes ] || exit 77
