#!/usr/bin/env bash
# skip_without_wine32.sh COMMAND...: runs a test command for the 32-bit build
# when this machine can run 32-bit programs under Wine (TARN_WINE_BITS=32), and
# reports the test as skipped (77) with the reason otherwise: scripts/test.sh
# then runs the whole 32-bit suite in the emulated x86 guest instead.
TARN_WINE_BITS=32
. "$(dirname "$0")/wine_env.sh"
if ! wine32_detect; then
  echo "skipped: $TARN_WINE32_WHY (run it where 32-bit programs run:" \
    "scripts/x86-run.sh --shell -- ctest --preset mingw32)"
  exit 77
fi
echo "32-bit programs run through $(wine32_description)"
export TARN_WINE_BITS=32
exec "$@"
