# Sourced by the deployment tests (per-user registration, registration-free
# use, both bitnesses side by side): a Wine prefix of their own,
# build/wineprefix-deploy, in which nothing of the library is registered
# before or after each test, with a wineserver of its own for the test's run.
export TARN_WINEPREFIX="${TARN_WINEPREFIX_DEPLOY:-${TARN_WINEPREFIXES:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build}/wineprefix-deploy}"
. "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"

# deploy_start: the prefix and its wineserver, up.
deploy_start() {
  local bits=$TARN_BITS_RUN status=0
  # Where 32-bit programs run, the prefix is made with Wine's 32-bit files too.
  wine32_detect && wine_bits 32
  wine_start || status=1
  wine_bits "$bits"
  [ $status = 0 ] || echo "cannot start Wine in $WINEPREFIX"
  return $status
}

# deploy_guids MANIFEST: every GUID the assembly manifest names for the
# library (the library, its classes and interfaces), one a line, without the
# system's own (the type-library marshaler, IDispatch).
deploy_guids() {
  grep -o '{[0-9A-Fa-f-]\{36\}}' "$1" | sort -u | grep -v -i -e '{00020424-' -e '{00020400-'
}

# deploy_leftovers MANIFEST: prints every registry key, in both views and for
# the machine and the user, that names the library's GUIDs or its ProgIDs, and
# fails when there is one. Stops the wineserver first, which writes the
# registry out to the prefix's files.
deploy_leftovers() {
  local manifest=$1 patterns found
  wine_stop
  patterns=$(mktemp)
  deploy_guids "$manifest" > "$patterns"
  echo '\\TarnLib\.[A-Za-z]' >> "$patterns"
  found=$(grep -h '^\[' "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" | grep -i -f "$patterns")
  rm -f "$patterns"
  if [ -n "$found" ]; then
    printf 'registry keys naming the library:\n%s\n' "$found"
    return 1
  fi
}

# deploy_value KEY VIEW: the default value of KEY (HKCR\...) in registry view
# 32 or 64, empty when the key or value is missing.
deploy_value() {
  wine_run 60 reg.exe query "$1" /ve "/reg:$2" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *(Default) *REG_SZ *//p'
}

# deploy_key_exists KEY VIEW
deploy_key_exists() {
  wine_run 60 reg.exe query "$1" "/reg:$2" >/dev/null 2>&1
}

# deploy_vbs BITS SCRIPT: runs a VBScript with the shared checks prepended by
# the cscript of that bitness; passes when the host was of that bitness and
# the summary shows no failure. CSCRIPT (optional) is the script host to use.
deploy_vbs() {
  local bits=$1 script=$2 host=${3:-} combined output
  wine_bits "$bits" || return 1
  combined=$(mktemp --suffix=.vbs)
  cat "$TARN_ROOT/tests/vbs/test_support.vbs" "$script" > "$combined"
  [ -n "$host" ] || host="${TARN_SYSTEM}cscript.exe"
  output=$(wine_run 300 "$host" //nologo "$(wine_path "$combined")" 2>&1 | tr -d '\r')
  rm -f "$combined"
  printf '%s\n' "$output" | sed "s/^/  [cscript $bits] /"
  wine_check_host "$output" || return 1
  printf '%s\n' "$output" | grep -v '^\s*$' | tail -n 1 | grep -Eq '^[0-9]+ passed, 0 failed$'
}

# deploy_client BITS EXE [ARGS...]: runs the apartment client of that bitness.
deploy_client() {
  local bits=$1 exe=$2 output status
  shift 2
  wine_bits "$bits" || return 1
  output=$(set -o pipefail; wine_run 600 "$(wine_path "$exe")" --bits="$bits" "$@" 2>&1 | tr -d '\r')
  status=$?
  printf '%s\n' "$output" | grep -E '^\[  (PASSED|FAILED) |^apartment client|Failure|[Ee]xpected|Which is|actual' |
    sed "s/^/  [client $bits] /"
  return "$status"
}

# deploy_snapshot MANIFEST HIVE: the keys and values of a registry file of the
# prefix (system.reg or user.reg) that name the library, relative to the
# classes root with both registry views merged, one "key | value" line each,
# sorted. Stops the
# wineserver first, which writes the registry out.
deploy_snapshot() {
  wine_stop
  python3 - "$WINEPREFIX/$2" "$(deploy_guids "$1" | tr '\n' ' ')" <<'PY'
import re, sys
names = [g.lower() for g in sys.argv[2].split()] + ['\\\\tarnlib.']
lines, key = [], None
for raw in open(sys.argv[1], encoding='utf-8', errors='replace'):
    raw = raw.rstrip('\n')
    section = re.match(r'^\[(.*)\] \d+', raw)
    if section:
        path = section.group(1)
        key = path if any(n in ('\\\\' + path).lower() for n in names) else None
        if key:
            # Both views merged: Wine's RegisterTypeLib writes the interfaces into both.
            key = re.sub(r'^Software\\\\Classes\\\\(Wow6432Node\\\\)?', '', key)
            lines.append('%s |' % key)
    elif key and raw and not raw.startswith('#'):
        lines.append('%s | %s' % (key, raw))
print('\n'.join(sorted(set(lines))))
PY
}
