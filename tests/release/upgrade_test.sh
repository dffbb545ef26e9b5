#!/usr/bin/env bash
# upgrade_test.sh: two releases made from this tree, the second with
# TARNLIB_VERSION (its fourth number one higher), installed one over the other
# by msiexec under Wine (64-bit), in the scratch prefix build/wineprefix-release.
#  1. package.sh refuses a version without a CHANGELOG section, naming it;
#  2. the second release carries its version everywhere: the file names, both
#     DLLs' and programs' version resources, both manifests, the archive's
#     RELEASE-NOTES.md (its CHANGELOG section), the package's version, name
#     and comments; its product code differs, its upgrade code does not;
#  3. the newer package over the older one leaves exactly one product (the
#     newer, with its add-and-remove-programs data), the newer files, and the
#     registration of both bitnesses, row for row as a fresh installation
#     writes it; every class works from the 64-bit script host;
#  4. the older package over the newer one is refused before anything changes,
#     with a message that names both versions;
#  5. uninstalling leaves no file, folder or key naming the library or its
#     GUIDs.
# Windows Installer compares only three numbers of a package's version; the
# fourth is the one that changes here, the case the package handles itself.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/packaging/scratch_prefix.sh"
rows="python3 $root/packaging/registry_rows.py"
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${WINEPREFIX:-}" ] && scratch_reset' EXIT

# The older release: the tree's own version.
"$root/scripts/package.sh" > "$work/package-old.log" 2>&1 || { tail -n 20 "$work/package-old.log"; echo "FAIL: package.sh"; exit 1; }
old=$(python3 "$root/packaging/version_of.py" "$root/build/mingw64/TarnLib.dll")
IFS=. read -r a b c d <<<"$old"
new="$a.$b.$c.$((d + 1))"
echo "releases: $old, then $new"

# 1. No notes, no release.
# The test's release goes to a folder of its own, not into dist/.
if TARNLIB_VERSION=$new TARNLIB_DIST=$work/dist "$root/scripts/package.sh" > "$work/package-nonotes.log" 2>&1; then
  fail "package.sh made $new without a CHANGELOG section for it"
elif ! grep -q "no section \"## $new\"" "$work/package-nonotes.log"; then
  tail -n 5 "$work/package-nonotes.log"
  fail "package.sh failed without naming the missing section ## $new"
fi

# 2. The newer release, its notes from a CHANGELOG of its own.
notes="A release made by the upgrade test, $new."
{ printf '## %s\n\n%s\n\n' "$new" "$notes"; cat "$root/CHANGELOG.md"; } > "$work/CHANGELOG.md"
TARNLIB_VERSION=$new TARNLIB_CHANGELOG=$work/CHANGELOG.md TARNLIB_DIST=$work/dist \
  "$root/scripts/package.sh" > "$work/package-new.log" 2>&1 ||
  { tail -n 20 "$work/package-new.log"; echo "FAIL: TARNLIB_VERSION=$new package.sh"; exit 1; }
old_msi=$root/dist/TarnLib-$old.msi
new_msi=$work/dist/TarnLib-$new.msi
for file in "$old_msi" "$new_msi" "$work/dist/TarnLib-$new.zip"; do
  [ -f "$file" ] || fail "not made: $file"
done
unzip -q -o "$work/dist/TarnLib-$new.zip" -d "$work/new"
for file in x64/TarnLib.dll x86/TarnLib.dll x64/tarnlib-register.exe x86/tarnlib-register.exe; do
  got=$(python3 "$root/packaging/version_of.py" "$work/new/$file")
  [ "$got" = "$new" ] || fail "$file of the $new archive says version $got"
done
for file in x64/TarnLib.manifest x86/TarnLib.manifest; do
  grep -q "name=\"TarnLib\" version=\"$new\"" "$work/new/$file" || fail "$file does not name version $new"
done
grep -q -F "$notes" "$work/new/RELEASE-NOTES.md" || fail "RELEASE-NOTES.md of $new lacks its CHANGELOG section"
grep -q "^## $old" "$work/new/RELEASE-NOTES.md" && fail "RELEASE-NOTES.md of $new holds the section of $old too"
property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v name="$2" '$1 == name { print $2 }'; }
[ "$(property "$new_msi" ProductVersion)" = "$new" ] || fail "the $new package's version is $(property "$new_msi" ProductVersion)"
[ "$(property "$new_msi" ProductName)" = "TarnLib $new (64-bit and 32-bit)" ] ||
  fail "the $new package's name is $(property "$new_msi" ProductName)"
[ "$(property "$old_msi" ProductCode)" != "$(property "$new_msi" ProductCode)" ] || fail "both versions have one product code"
[ "$(property "$old_msi" UpgradeCode)" = "$(property "$new_msi" UpgradeCode)" ] || fail "the upgrade code changed"
msiinfo suminfo "$new_msi" | grep -q -F "$notes" || fail "the $new package's comments lack its notes"

scratch_prefix "$root/build/wineprefix-release" || exit 1
msiexec() {
  wine_bits 64
  wine_run 300 msiexec.exe /qn "$@"
}
# products: the add-and-remove-programs entries naming TarnLib, one line
# each: "DisplayName|DisplayVersion|Publisher|HelpLink".
products() {
  python3 - "$WINEPREFIX/$1.system.reg" "$root/packaging" <<'EOF'
import sys
sys.path.insert(0, sys.argv[2])
import registry_rows
keys = registry_rows.parse(sys.argv[1])
prefix = 'software\\microsoft\\windows\\currentversion\\uninstall\\'
for key, values in sorted(keys.items()):
    name = values.get('DisplayName', ('', ''))[1]
    if key.lower().startswith(prefix) and 'tarnlib' in name.lower():
        print('|'.join(values.get(v, ('', ''))[1] for v in ('DisplayName', 'DisplayVersion', 'Publisher', 'HelpLink')))
EOF
}

# What a fresh installation of the older release writes.
scratch_reset
msiexec /i "$(wine_path "$old_msi")" || fail "msiexec /i $old"
scratch_snapshot fresh
$rows diff "$WINEPREFIX/pristine.system.reg" "$WINEPREFIX/fresh.system.reg" > "$work/fresh.json"

# 3. The newer over the older.
msiexec /i "$(wine_path "$new_msi")" || fail "msiexec /i $new over $old"
scratch_snapshot upgraded
products upgraded > "$work/products"
want="TarnLib $new (64-bit and 32-bit)|$new|The TarnLib authors|C:\\Program Files\\TarnLib\\README.md"
if [ "$(cat "$work/products")" != "$want" ]; then
  fail "after the upgrade, installed products: $(tr '\n' ';' < "$work/products") (want exactly: $want)"
fi
for bits in 64 32; do
  [ "$bits" = 64 ] && folder=x64 || folder=x86
  cmp -s "$work/new/$folder/TarnLib.dll" "$(scratch_install_dir "$bits")/TarnLib.dll" ||
    fail "after the upgrade the ${bits}-bit DLL is not the $new one"
done
cmp -s "$work/new/RELEASE-NOTES.md" "$(scratch_install_dir 64)/RELEASE-NOTES.md" || fail "RELEASE-NOTES.md of $new not installed"
$rows diff "$WINEPREFIX/pristine.system.reg" "$WINEPREFIX/upgraded.system.reg" > "$work/upgraded.json"
$rows same "$work/fresh.json" "$work/upgraded.json" ||
  fail "after the upgrade the registration differs from a fresh installation's"
wine_start >/dev/null 2>&1
TARN_WINE_BITS=64 "$root/tests/wine/run_vbs.sh" "$root/tests/vbs/every_class_installed.vbs" || fail "classes after the upgrade"

# 4. The older over the newer: refused, nothing changed. Wine shows no
# message in a quiet installation and writes no log of this one: its trace
# of the installer gives the action that halted and the properties found.
trace=$work/downgrade.trace
if WINEDEBUG=+msi msiexec /i "$(wine_path "$old_msi")" 2> "$trace"; then
  fail "msiexec /i $old over $new succeeded"
fi
scratch_snapshot downgraded
products downgraded | cmp -s - "$work/products" || fail "the refused downgrade changed the installed products"
cmp -s "$work/new/x64/TarnLib.dll" "$(scratch_install_dir 64)/TarnLib.dll" || fail "the refused downgrade changed the DLL"
# The message: the refusing action's text, formatted with the package's and
# the found properties, as Windows Installer shows it.
python3 - "$trace" "$old_msi" "$old" "$new" <<'EOF' || fail "downgrade refusal"
import re, subprocess, sys
trace = open(sys.argv[1], encoding='utf-8', errors='replace').read()
old, new = sys.argv[3], sys.argv[4]
if 'Execution halted, action L"RefuseDowngrade" returned 1603' not in trace:
    sys.exit('the installation was not halted by the refusal')
def table(name):
    out = subprocess.run(['msiinfo', 'export', sys.argv[2], name], capture_output=True, text=True).stdout
    return [line.rstrip('\r').split('\t') for line in out.splitlines()[3:]]
text = next(row[3] for row in table('CustomAction') if row[0] == 'RefuseDowngrade')
properties = dict((row[0], row[1]) for row in table('Property'))
properties.update(re.findall(r'msi_set_property \S+ L"(\w+)" L"([^"]*)"', trace))
message = re.sub(r'\[(\w+)\]', lambda m: properties.get(m.group(1), ''), text)
print('refused: ' + message)
if old not in message or new not in message:
    sys.exit('the message does not name both %s and %s' % (old, new))
EOF

# 5. Uninstall: nothing left.
msiexec /x "$(wine_path "$new_msi")" || fail "msiexec /x $new"
scratch_snapshot removed
[ -z "$(products removed)" ] || fail "products left: $(products removed)"
left=$(find "$WINEPREFIX/drive_c" -iname '*tarnlib*')
[ -z "$left" ] || fail "files left behind: $left"
$rows removed "$WINEPREFIX/pristine.system.reg" "$WINEPREFIX/removed.system.reg" "$work/fresh.json" || fail "keys left in the machine's registry"
$rows removed "$WINEPREFIX/pristine.user.reg" "$WINEPREFIX/removed.user.reg" "$work/fresh.json" || fail "keys left in the user's registry"

[ $failed = 0 ] && echo "upgrade: $old to $new in place, downgrade refused, nothing left after removal"
exit $failed
