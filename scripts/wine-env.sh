# Sourced by the test and demo scripts: a Wine prefix of our own and an X display.
# Starts Xvfb when no display is given (or when SETUP_FORCE_XVFB=1).
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$PWD/build/wineprefix}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

if [ -z "${DISPLAY:-}" ] || [ "${SETUP_FORCE_XVFB:-0}" = 1 ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=$n; break; }
  done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  SETUP_XVFB_PID=$!
  export DISPLAY=":$display"
  trap 'kill $SETUP_XVFB_PID 2>/dev/null; wineserver -k 2>/dev/null' EXIT
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
