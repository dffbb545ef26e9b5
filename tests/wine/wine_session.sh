#!/usr/bin/env bash
# wine_session.sh start|stop: the Wine prefix and wineserver for a test run.
set -u
. "$(dirname "$0")/wine_env.sh"
case "${1:-}" in
  start) wine_start ;;
  stop) wine_stop ;;
  *) echo "usage: wine_session.sh start|stop" >&2; exit 2 ;;
esac
