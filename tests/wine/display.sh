#!/usr/bin/env bash
# The X display of the Wine tests: an Xvfb of its own, its number in <state>/display.
#
#   display.sh start <state>    start it (a display already given in DISPLAY is used instead)
#   display.sh stop <state>     stop the Xvfb started here
set -u
state=$2
mkdir -p "$state"
case $1 in
  start)
    if [ -n "${DISPLAY:-}" ] && [ "${SETUP_FORCE_XVFB:-0}" != 1 ]; then
      echo "$DISPLAY" >"$state/display"
      rm -f "$state/xvfb.pid"
      exit 0
    fi
    for n in $(seq 90 140); do
      [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
      # setsid and no inherited output: CTest waits for every holder of the test's pipes.
      setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      echo $! >"$state/xvfb.pid"
      # The display is up and ours once the socket is there and the lock file names our Xvfb:
      # another run that picked the same number at the same time may own it instead, and
      # would take it down under our tests when it ends.
      for _ in $(seq 300); do
        [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null)" = "$(cat "$state/xvfb.pid")" ] && {
          echo ":$n" >"$state/display"
          echo "display.sh: Xvfb on :$n"
          exit 0
        }
        kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null || break
        sleep 0.1
      done
      kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    done
    echo "display.sh: cannot start Xvfb" >&2
    exit 1
    ;;
  stop)
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    rm -f "$state/xvfb.pid" "$state/display"
    exit 0
    ;;
esac
echo "usage: display.sh start|stop <state>" >&2
exit 2
