#!/usr/bin/env bash
# reproducible_build_test.sh: two builds of the same sources, in two trees at
# different paths and at different times, give byte-identical DLLs, programs,
# type libraries, generated header and GUID file, and release archive.
#
# The first build is this checkout's own (scripts/package.sh --no-msi, which
# builds build/mingw64 and build/mingw32 as the tests use them). The second is
# a clean build of a copy of the same files in a fresh folder elsewhere, with
# ccache switched off, so that every object is compiled again there. Both use
# the same SOURCE_DATE_EPOCH (the last commit's time), as a release does.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
export SOURCE_DATE_EPOCH

"$root/scripts/package.sh" --no-msi >/dev/null || { echo "FAIL: package.sh in $root"; exit 1; }

copy=$(mktemp -d -t tarnlib-second-build.XXXXXX)
trap 'rm -rf "$copy"' EXIT
# The files of the checkout (tracked, and new ones not ignored), not its build.
(cd "$root" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy")
echo "second build in $copy"
if ! (cd "$copy" && CCACHE_DISABLE=1 CMAKE_CXX_COMPILER_LAUNCHER= CMAKE_C_COMPILER_LAUNCHER= \
      scripts/package.sh --no-msi >"$copy/package.log" 2>&1); then
  tail -n 30 "$copy/package.log"
  echo "FAIL: package.sh in the copy"
  exit 1
fi

version=$(python3 "$root/packaging/version_of.py" "$root/build/mingw64/TarnLib.dll")
compared=(
  "dist/TarnLib-$version.zip"
  build/mingw64/TarnLib.dll build/mingw32/TarnLib.dll
  build/mingw64/tarnlib-register.exe build/mingw32/tarnlib-register.exe
  build/mingw64/generated/TarnLib.tlb build/mingw32/generated/TarnLib.tlb
  build/mingw64/generated/TarnLib_h.h build/mingw64/generated/TarnLib_i.c
)
failed=0
for file in "${compared[@]}"; do
  if [ ! -f "$root/$file" ] || [ ! -f "$copy/$file" ]; then
    echo "FAIL: $file missing from a build"
    failed=1
  elif cmp -s "$root/$file" "$copy/$file"; then
    echo "same: $file ($(stat -c %s "$root/$file") bytes)"
  else
    echo "FAIL: $file differs in $(cmp -l "$root/$file" "$copy/$file" 2>/dev/null | wc -l) bytes" \
      "(sizes $(stat -c %s "$root/$file") and $(stat -c %s "$copy/$file"))"
    failed=1
  fi
done
# Neither tree's path may appear in what is shipped.
for file in "${compared[@]}"; do
  for tree in "$root" "$copy"; do
    if [ -f "$tree/$file" ] && grep -a -q -F "$tree" "$tree/$file"; then
      echo "FAIL: $file names its build folder $tree"
      failed=1
    fi
  done
done
[ $failed = 0 ] && echo "two builds, byte-identical"
exit $failed
