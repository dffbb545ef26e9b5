#!/usr/bin/env bash
# package.sh [--no-msi] [--msi-64-only]: the release, in dist/.
#   dist/TarnLib-<version>.zip  x64/ and x86/ (TarnLib.dll, its registration-
#                               free manifest, tarnlib-register.exe), the
#                               type library, the C/C++ header and GUID file,
#                               README.md, LICENSE, CHANGELOG.md and
#                               RELEASE-NOTES.md (this version's CHANGELOG
#                               section)
#   dist/TarnLib-<version>.msi  both DLLs into their program folders, the type
#                               library, header, GUID file and documents, and
#                               the registration as registry rows; upgrades
#                               any earlier version in place
# The version is the one CMakeLists.txt sets; TARNLIB_VERSION=a.b.c.d
# overrides it for this run (built in build/version-a.b.c.d/, the usual build
# folders untouched). It must have a section in the CHANGELOG (TARNLIB_CHANGELOG
# names another file), or nothing is made.
#
# Signing: with TARNLIB_SIGN_CERT and TARNLIB_SIGN_KEY naming a PEM
# certificate (chain) and its key, both DLLs, both tarnlib-register.exe and the
# installer are signed with Authenticode (osslsigncode), time-stamped by
# TARNLIB_SIGN_TIMESTAMP (an RFC 3161 server's URL) when given. Without them
# nothing is signed, and one line says so.
#
# Builds are reproducible: the archive's entries carry the time
# SOURCE_DATE_EPOCH, by default the last commit's time, and nothing of the
# build machine.
#
# The registry rows are what the DLLs' own registration writes: the 64-bit
# regsvr32 runs in a scratch Wine prefix (build/wineprefix-release) and the
# keys it wrote are taken from the prefix's registry; the 32-bit DLL's rows
# are the same rows for the other bitness (registry_rows.py other-bitness), so
# no 32-bit program runs here. --msi-64-only makes
# dist/TarnLib-<version>-x64only.msi with the 64-bit DLL alone; --no-msi the
# archive only. TARNLIB_HELP_LINK sets the installer's help link (by default
# the installed README); TARNLIB_DIST names another folder than dist/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
msi=both
for arg in "$@"; do
  case "$arg" in
    --no-msi) msi=none ;;
    --msi-64-only) msi=64 ;;
    *) echo "usage: package.sh [--no-msi] [--msi-64-only]" >&2; exit 2 ;;
  esac
done
"$root/scripts/install_prerequisites.sh"

signing=no
if [ -n "${TARNLIB_SIGN_CERT:-}" ] || [ -n "${TARNLIB_SIGN_KEY:-}" ]; then
  for file in "${TARNLIB_SIGN_CERT:-}" "${TARNLIB_SIGN_KEY:-}"; do
    [ -f "$file" ] || { echo "package: TARNLIB_SIGN_CERT and TARNLIB_SIGN_KEY must both name PEM files ('$file')" >&2; exit 1; }
  done
  signing=yes
fi

# The build folders: the presets' own, or for an overriding version folders of
# its own, so that the tests' builds keep the source's version.
declare -A build
if [ -n "${TARNLIB_VERSION:-}" ]; then
  for bits in 64 32; do
    build[$bits]="$root/build/version-$TARNLIB_VERSION/mingw$bits"
    cmake --preset "mingw$bits" -B "${build[$bits]}" -DTARN_VERSION="$TARNLIB_VERSION" >/dev/null
  done
else
  for bits in 64 32; do
    build[$bits]="$root/build/mingw$bits"
    cmake --preset "mingw$bits" -DTARN_VERSION= >/dev/null
  done
fi
for bits in 64 32; do
  cmake --build "${build[$bits]}" -j "$(nproc)" --target TarnLib tarnlib-register tarn_manifest
done

version=$(python3 packaging/version_of.py "${build[64]}/TarnLib.dll")
version32=$(python3 packaging/version_of.py "${build[32]}/TarnLib.dll")
if [ "$version" != "$version32" ]; then
  echo "package: the DLLs disagree on their version ($version, $version32)" >&2
  exit 1
fi
if [ -n "${TARNLIB_VERSION:-}" ] && [ "$version" != "$TARNLIB_VERSION" ]; then
  echo "package: the DLLs say version $version, not TARNLIB_VERSION=$TARNLIB_VERSION" >&2
  exit 1
fi
changelog=${TARNLIB_CHANGELOG:-CHANGELOG.md}
notes=$(python3 packaging/release_notes.py "$changelog" "$version") || exit 1
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) ||
    { echo "package: no git history here: set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH

# The archive's tree.
stage="$root/build/release/TarnLib-$version"
rm -rf "$stage"
mkdir -p "$stage"
for bits in 64 32; do
  [ "$bits" = 64 ] && folder=x64 || folder=x86
  mkdir -p "$stage/$folder"
  # The DLL with its registration-free manifest, and the per-user tool.
  cp "${build[$bits]}/TarnLib.dll" "${build[$bits]}/TarnLib.manifest" "${build[$bits]}/tarnlib-register.exe" "$stage/$folder/"
done
# Type library (of the 32-bit DLL: 32-bit Windows is the library's own target)
# and the files for early-bound C and C++ clients.
cp "${build[32]}"/generated/{TarnLib.tlb,TarnLib_h.h,TarnLib_i.c} "$stage/"
cp README.md LICENSE "$stage/"
cp "$changelog" "$stage/CHANGELOG.md"
printf '%s\n' "$notes" > "$stage/RELEASE-NOTES.md"
# The user documentation, with the folders its links name (the list is
# tests/release/doc_links.py's SHIPPED_PAGES).
mkdir -p "$stage/docs/reference"
cp docs/reference.md docs/getting-started.md docs/vba-guide.md docs/platform-notes.md "$stage/docs/"
cp docs/reference/*.md "$stage/docs/reference/"
chmod -R u=rwX,go=rX "$stage"

# sign FILE: Authenticode signature in place, SHA-256. Without a time-stamp
# server the signing time is SOURCE_DATE_EPOCH's, so that signing the same
# files with the same key twice gives the same bytes.
sign() {
  local when=(-time "$SOURCE_DATE_EPOCH")
  [ -n "${TARNLIB_SIGN_TIMESTAMP:-}" ] && when=(-ts "$TARNLIB_SIGN_TIMESTAMP")
  osslsigncode sign -certs "$TARNLIB_SIGN_CERT" -key "$TARNLIB_SIGN_KEY" -h sha256 \
    -n "TarnLib $version" "${when[@]}" -in "$1" -out "$1.signed" >/dev/null ||
    { echo "package: signing $1 failed" >&2; rm -f "$1.signed"; return 1; }
  mv "$1.signed" "$1"
}
if [ $signing = yes ]; then
  for file in "$stage"/x64/TarnLib.dll "$stage"/x64/tarnlib-register.exe "$stage"/x86/TarnLib.dll "$stage"/x86/tarnlib-register.exe; do
    sign "$file"
  done
  echo "package: signed with $TARNLIB_SIGN_CERT: both DLLs, both tarnlib-register.exe$([ "$msi" = none ] || echo ' and the installer')"
else
  echo "package: not signed (TARNLIB_SIGN_CERT and TARNLIB_SIGN_KEY name no certificate and key)"
fi

dist=${TARNLIB_DIST:-$root/dist}
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
python3 packaging/make_zip.py "$dist/TarnLib-$version.zip" "$stage"
echo "package: $dist/TarnLib-$version.zip"

[ "$msi" = none ] && exit 0
# No installer of an earlier run can pass for this one's.
rm -f "$dist/TarnLib-$version.msi" "$dist/TarnLib-$version-x64only.msi"
. packaging/scratch_prefix.sh
scratch_prefix "$root/build/wineprefix-release"
registration="$root/build/release/registration-$version"
# The 64-bit DLL's registration, run (the staged file: signed, when it is).
scratch_registration 64 "$stage/x64/TarnLib.dll" "$registration-64.json" || exit 1
scratch_flush
rows=("64:$registration-64.json")
if [ "$msi" = both ]; then
  # The 32-bit DLL's, derived from it, which holds while both type libraries
  # describe one library for the two targets.
  python3 packaging/typelib_identity.py "${build[64]}/generated/TarnLib.tlb" "${build[32]}/generated/TarnLib.tlb" ||
    { echo "package: the two type libraries differ: the 32-bit rows cannot be derived" >&2; exit 1; }
  # The 32-bit DLL's, derived from it: the same registration over a type
  # library from the same IDL, with the class and interface keys in the
  # 32-bit view, for win32, at the 32-bit DLL's path.
  python3 packaging/registry_rows.py other-bitness "$registration-64.json" \
    "$(scratch_windows_dll 64 | sed 's/\\TarnLib.dll$//')" "$(scratch_windows_dll 32 | sed 's/\\TarnLib.dll$//')" \
    > "$registration-32.json"
  rows+=("32:$registration-32.json")
fi
name="TarnLib-$version.msi"
[ "$msi" = 64 ] && name="TarnLib-$version-x64only.msi"
help=()
[ -n "${TARNLIB_HELP_LINK:-}" ] && help=(--help-link "$TARNLIB_HELP_LINK")
python3 packaging/make_wxs.py "$version" "build/release/TarnLib-$version.wxs" "${rows[@]}" \
  --notes "$stage/RELEASE-NOTES.md" "${help[@]}" \
  --documents TarnLib.tlb TarnLib_h.h TarnLib_i.c README.md LICENSE CHANGELOG.md RELEASE-NOTES.md
# wixl takes File sources relative to the folder it runs in, the staged tree.
(cd "$stage" && wixl -a x64 -o "$dist/$name" "../TarnLib-$version.wxs")
python3 packaging/make_wxs.py finish "$dist/$name" "$version"
[ $signing = yes ] && sign "$dist/$name"
echo "package: $dist/$name"
