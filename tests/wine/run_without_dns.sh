#!/usr/bin/env bash
# run_without_dns.sh COMMAND [ARGS...]: runs COMMAND so that name lookups
# /etc/hosts cannot answer end on this machine. COMMAND runs in a private
# mount namespace where /etc/resolv.conf names only the loopback address, on
# which no name server listens: a lookup of a name under .invalid or of an
# address without a name fails at once and sends nothing beyond the machine.
# Where no private mount namespace can be made, the test is skipped (77).
set -u
if ! unshare --mount --propagation private true 2>/dev/null; then
  echo "run_without_dns: no private mount namespace here (needs root); skipped" >&2
  exit 77
fi
conf=$(mktemp)
trap 'rm -f "$conf"' EXIT
printf 'nameserver 127.0.0.1\noptions timeout:1 attempts:1\n' > "$conf"
# shellcheck disable=SC2016
unshare --mount --propagation private -- /bin/sh -c 'mount --bind "$0" /etc/resolv.conf && exec "$@"' "$conf" "$@"
