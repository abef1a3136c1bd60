# Sourced by the demo and the end-to-end runs: a Wine prefix of our own and an X display.
# Under CTest (SETUP_WINE_STATE set) the prefix's fixture has made both and the test's
# environment names the prefix and the loader. Otherwise (the demo) this starts Xvfb when no
# display is given (or when SETUP_FORCE_XVFB=1) and makes the prefix.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

if [ -n "${SETUP_WINE_STATE:-}" ]; then
  source tests/wine/on-display.sh
  return
fi

export WINEPREFIX=${WINEPREFIX:-$PWD/build/wineprefix}
# WINE is the loader the scripts run programs with: the wine wrapper, which picks the 32-bit
# loader, where the kernel runs 32-bit code (as the build's configuration found), else wine64.
if [ -z "${SETUP_I686_ROUTE:-}" ] && [ -f build/win32/i686-route ]; then
  SETUP_I686_ROUTE=$(cat build/win32/i686-route)
fi
if [ -z "${WINE:-}" ]; then
  if [ "${SETUP_I686_ROUTE:-native}" = native ]; then WINE=wine; else WINE=/usr/lib/wine/wine64; fi
fi
export WINE

if [ -z "${DISPLAY:-}" ] || [ "${SETUP_FORCE_XVFB:-0}" = 1 ]; then
  SETUP_DISPLAY_STATE=$(mktemp -d)
  bash tests/wine/display.sh start "$SETUP_DISPLAY_STATE" >/dev/null || return 1
  DISPLAY=$(cat "$SETUP_DISPLAY_STATE/display")
  export DISPLAY
  trap 'bash tests/wine/display.sh stop "$SETUP_DISPLAY_STATE"; rm -rf "$SETUP_DISPLAY_STATE"; wineserver -k 2>/dev/null' EXIT
fi

SETUP_I686_ROUTE=${SETUP_I686_ROUTE:-native} bash tests/wine/prefix.sh "$WINEPREFIX" || return 1
