#!/usr/bin/env bash
# skip_without_wine32.sh COMMAND...: runs the command when this machine can run
# 32-bit code under Wine, and reports the test as skipped (77) otherwise.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "skipped: Wine's 32-bit loader cannot run on this machine (32-bit emulation is off in the kernel)"
  exit 77
fi
export TARN_WINE_BITS=32
exec "$@"
