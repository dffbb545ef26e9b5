#!/usr/bin/env bash
# xvfb_session.sh start|stop: a virtual X display for the Wine processes of a
# test run, so that real windows can be created, focused and activated. The
# server picks a free display itself; its number and process id are kept in
# build/xvfb/, where wine_env.sh finds the display.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
state="$root/build/xvfb"
case "${1:-}" in
  start)
    mkdir -p "$state"
    if [ -f "$state/pid" ] && kill -0 "$(cat "$state/pid")" 2>/dev/null; then exit 0; fi
    rm -f "$state/display" "$state/pid"
    command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/display.raw" >/dev/null 2>&1 &
    echo $! >"$state/pid"
    for _ in $(seq 1 100); do
      if [ -s "$state/display.raw" ]; then
        echo ":$(tr -d '\n' <"$state/display.raw")" >"$state/display"
        exit 0
      fi
      kill -0 "$(cat "$state/pid")" 2>/dev/null || break
      sleep 0.1
    done
    echo "Xvfb did not start" >&2
    kill "$(cat "$state/pid")" 2>/dev/null
    rm -f "$state/pid"
    exit 1
    ;;
  stop)
    if [ -f "$state/pid" ]; then
      pid=$(cat "$state/pid")
      kill "$pid" 2>/dev/null
      for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null
    fi
    rm -f "$state/pid" "$state/display" "$state/display.raw"
    exit 0
    ;;
  *) echo "usage: xvfb_session.sh start|stop" >&2; exit 2 ;;
esac
