#!/usr/bin/env bash
# signing_test.sh: package.sh with a throwaway self-signed code-signing
# certificate (openssl), into a folder of its own.
#  1. package.sh says it signed; osslsigncode verifies every signed file
#     (both DLLs and both tarnlib-register.exe in the archive, and the
#     installer) against that certificate, and refuses them against another
#     one (so the check can fail);
#  2. the signed 64-bit DLL still registers with regsvr32 and every class works
#     from the 64-bit script host under Wine; it unregisters without leftovers;
#  3. without a certificate package.sh says in one line that it signs nothing.
# No time-stamp server is contacted: the signing time is SOURCE_DATE_EPOCH's.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for name in signer other; do
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=TarnLib test $name" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/$name.key" -out "$work/$name.pem" 2>/dev/null ||
    { echo "FAIL: openssl could not make a certificate"; exit 1; }
done

# 1. Signed, and verified against the certificate.
TARNLIB_SIGN_CERT=$work/signer.pem TARNLIB_SIGN_KEY=$work/signer.key TARNLIB_DIST=$work/dist \
  "$root/scripts/package.sh" > "$work/package.log" 2>&1 || { tail -n 20 "$work/package.log"; echo "FAIL: package.sh"; exit 1; }
grep '^package: signed' "$work/package.log" || fail "package.sh did not say it signed"
version=$(python3 "$root/packaging/version_of.py" "$root/build/mingw64/TarnLib.dll")
unzip -q "$work/dist/TarnLib-$version.zip" -d "$work/archive"
signed=(x64/TarnLib.dll x64/tarnlib-register.exe x86/TarnLib.dll x86/tarnlib-register.exe)
cp "$work/dist/TarnLib-$version.msi" "$work/archive/TarnLib.msi"
signed+=(TarnLib.msi)
for file in "${signed[@]}"; do
  if osslsigncode verify -CAfile "$work/signer.pem" -in "$work/archive/$file" > "$work/verify.log" 2>&1 &&
     grep -q 'Signature verification: ok' "$work/verify.log"; then
    echo "verified: $file ($(grep -m 1 -o 'Subject: .*' "$work/verify.log"))"
  else
    tail -n 5 "$work/verify.log"
    fail "$file does not verify against the signing certificate"
  fi
  osslsigncode verify -CAfile "$work/other.pem" -in "$work/archive/$file" > /dev/null 2>&1 &&
    fail "$file verifies against a certificate that did not sign it"
done

# 2. The signed DLL registers and works.
. "$root/packaging/scratch_prefix.sh"
scratch_prefix "$root/build/wineprefix-release" || exit 1
trap 'rm -rf "$work"; scratch_reset' EXIT
scratch_reset
wine_bits 64
dir=$(scratch_install_dir 64)
mkdir -p "$dir"
cp "$work/archive/x64/TarnLib.dll" "$dir/TarnLib.dll"
wine_run 120 regsvr32.exe /s "$(scratch_windows_dll 64)" || fail "regsvr32 of the signed DLL"
scratch_snapshot registered
rows="python3 $root/packaging/registry_rows.py"
$rows diff "$WINEPREFIX/pristine.system.reg" "$WINEPREFIX/registered.system.reg" > "$work/registered.json"
grep -q 'InprocServer32' "$work/registered.json" || fail "regsvr32 of the signed DLL registered no class"
wine_start >/dev/null 2>&1
TARN_WINE_BITS=64 "$root/tests/wine/run_vbs.sh" "$root/tests/vbs/every_class_installed.vbs" || fail "classes of the signed DLL"
wine_bits 64
wine_run 120 regsvr32.exe /s /u "$(scratch_windows_dll 64)" || fail "regsvr32 /u of the signed DLL"
scratch_snapshot unregistered
$rows removed "$WINEPREFIX/pristine.system.reg" "$WINEPREFIX/unregistered.system.reg" "$work/registered.json" ||
  fail "the signed DLL's registration left keys"

# 3. No certificate: one line says so (the archive only, which is all that
# the line depends on).
env -u TARNLIB_SIGN_CERT -u TARNLIB_SIGN_KEY TARNLIB_DIST=$work/unsigned "$root/scripts/package.sh" --no-msi \
  > "$work/unsigned.log" 2>&1 || fail "package.sh without a certificate"
[ "$(grep -c '^package: not signed' "$work/unsigned.log")" = 1 ] || fail "package.sh did not say once that it signed nothing"

[ $failed = 0 ] && echo "signing: ${#signed[@]} files signed and verified; the signed DLL registers and works"
exit $failed
