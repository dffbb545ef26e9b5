#!/usr/bin/env bash
# registration_free_test.sh DLL MANIFEST CLIENT SCRIPT: registration-free use
# in a prefix where nothing of the library is registered. The DLL and its
# assembly manifest are copied beside two applications, each with an
# application manifest that names the assembly: the apartment client (classes
# by class id and by ProgID, calls across apartments) and a copy of cscript.exe
# running SCRIPT, which uses every class. Afterwards no class or ProgID of the
# library is in the registry.
set -u
. "$(dirname "$0")/deploy_env.sh"
dll=$1
manifest=$2
client=$3
script=$4
bits=$TARN_BITS_RUN
deploy_start || exit 1
app=$(mktemp -d)
trap 'wine_stop; rm -rf "$app"' EXIT
if ! deploy_leftovers "$manifest"; then
  echo "the prefix $WINEPREFIX is not clean before the test"
  exit 1
fi
deploy_start || exit 1

# The assembly's identity, as the application manifests must name it.
identity=$(grep -m 1 -o '<assemblyIdentity [^>]*>' "$manifest")
version=$(printf '%s' "$identity" | sed -n 's/.* version="\([^"]*\)".*/\1/p')
architecture=$(printf '%s' "$identity" | sed -n 's/.* processorArchitecture="\([^"]*\)".*/\1/p')
application_manifest() {
  cat <<MANIFEST
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="$1" version="1.0.0.0" processorArchitecture="$architecture"/>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="TarnLib" version="$version" processorArchitecture="$architecture"/>
    </dependentAssembly>
  </dependency>
</assembly>
MANIFEST
}
cp "$dll" "$manifest" "$client" "$app/"
client_name=$(basename "$client")
application_manifest "TarnLib.ApartmentClient" > "$app/$client_name.manifest"
system=system32
[ "$bits" = 32 ] && system=syswow64
cp "$WINEPREFIX/drive_c/windows/$system/cscript.exe" "$app/cscript.exe"
application_manifest "TarnLib.ScriptHost" > "$app/cscript.exe.manifest"

failed=0
deploy_client "$bits" "$app/$client_name" || { echo "apartment client failed beside its manifest"; failed=1; }
deploy_vbs "$bits" "$script" "$(wine_path "$app/cscript.exe")" || { echo "cscript failed beside its manifest"; failed=1; }

# Wine's marshaler registers the type library (its TypeLib and Interface
# keys) on the first proxy it builds under a manifest. That is Wine's doing,
# not a registration of ours: it is removed, and anything else that names the
# library (a class, a ProgID) would be a leftover.
wine_bits "$bits"
keys=("HKCR\\TypeLib\\$(grep -m 1 -o 'tlbid="{[^}]*}"' "$manifest" | sed 's/tlbid="\(.*\)"/\1/')")
for iid in $(grep -o ' iid="{[^}]*}"' "$manifest" | sed 's/ iid="\(.*\)"/\1/'); do
  keys+=("HKCR\\Interface\\$iid")
done
for key in "${keys[@]}"; do
  for view in 64 32; do
    wine_run 60 reg.exe delete "$key" /f "/reg:$view" >/dev/null 2>&1
  done
done
deploy_leftovers "$manifest" || { echo "registration-free use wrote registry keys"; failed=1; }
[ $failed = 0 ] && echo "registration-free: the client and cscript used every class through the manifest"
exit $failed
