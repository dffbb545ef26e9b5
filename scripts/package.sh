#!/usr/bin/env bash
# package.sh [--no-msi] [--msi-64-only]: the release, in dist/.
#   dist/TarnLib-<version>.zip  x64/ and x86/ (TarnLib.dll, its registration-
#                               free manifest, tarnlib-register.exe), the
#                               type library, the C/C++ header and GUID file,
#                               README.md, LICENSE, CHANGELOG.md
#   dist/TarnLib-<version>.msi  both DLLs into their program folders, the type
#                               library, header, GUID file, README and LICENSE,
#                               and the registration as registry rows
# The version is the DLL's own (its version resource). Builds are
# reproducible: the archive's entries carry the time SOURCE_DATE_EPOCH, by
# default the last commit's time, and nothing of the build machine.
#
# The registry rows are what the DLLs' own registration writes: regsvr32 of
# each bitness runs in a scratch Wine prefix (build/wineprefix-release) and the
# keys it wrote are taken from the prefix's registry. Where Wine cannot run
# 32-bit programs no complete installer can be made: --msi-64-only then makes
# dist/TarnLib-<version>-x64only.msi with the 64-bit DLL alone; --no-msi makes
# the archive only.
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

for preset in mingw64 mingw32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" --target TarnLib tarnlib-register tarn_manifest
done

version=$(python3 packaging/version_of.py build/mingw64/TarnLib.dll)
version32=$(python3 packaging/version_of.py build/mingw32/TarnLib.dll)
if [ "$version" != "$version32" ]; then
  echo "package: the DLLs disagree on their version ($version, $version32)" >&2
  exit 1
fi
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
  build="$root/build/mingw$bits"
  mkdir -p "$stage/$folder"
  # The DLL with its registration-free manifest, and the per-user tool.
  cp "$build/TarnLib.dll" "$build/TarnLib.manifest" "$build/tarnlib-register.exe" "$stage/$folder/"
done
# Type library (of the 32-bit DLL: 32-bit Windows is the library's own target)
# and the files for early-bound C and C++ clients.
cp build/mingw32/generated/TarnLib.tlb build/mingw32/generated/TarnLib_h.h build/mingw32/generated/TarnLib_i.c "$stage/"
cp README.md LICENSE CHANGELOG.md "$stage/"
# The user documentation, with the folders its links name (the list is
# tests/release/doc_links.py's SHIPPED_PAGES).
mkdir -p "$stage/docs/reference"
cp docs/reference.md docs/getting-started.md docs/vba-guide.md docs/platform-notes.md "$stage/docs/"
cp docs/reference/*.md "$stage/docs/reference/"
chmod -R u=rwX,go=rX "$stage"

mkdir -p dist
python3 packaging/make_zip.py "dist/TarnLib-$version.zip" "$stage"
echo "package: dist/TarnLib-$version.zip"

[ "$msi" = none ] && exit 0
# No installer of an earlier run can pass for this one's.
rm -f "dist/TarnLib-$version.msi" "dist/TarnLib-$version-x64only.msi"
. packaging/scratch_prefix.sh
scratch_prefix "$root/build/wineprefix-release"
rows=()
for bits in 64 32; do
  [ "$msi" = 64 ] && [ "$bits" = 32 ] && continue
  status=0
  scratch_registration "$bits" "build/mingw$bits/TarnLib.dll" "build/release/registration-$bits.json" || status=$?
  if [ $status != 0 ]; then
    [ $status = 77 ] && echo "package: no installer: the ${bits}-bit registration cannot run here" \
      "(--msi-64-only makes a 64-bit-only installer)" >&2
    exit 1
  fi
  rows+=("$bits:$root/build/release/registration-$bits.json")
done
scratch_flush
name="TarnLib-$version.msi"
[ "$msi" = 64 ] && name="TarnLib-$version-x64only.msi"
python3 packaging/make_wxs.py "$version" "build/release/TarnLib.wxs" "${rows[@]}" \
  --documents TarnLib.tlb TarnLib_h.h TarnLib_i.c README.md LICENSE CHANGELOG.md
# wixl takes File sources relative to the folder it runs in, the staged tree.
(cd "$stage" && wixl -a x64 -o "$root/dist/$name" ../TarnLib.wxs)
echo "package: dist/$name"
