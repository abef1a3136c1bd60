# Sourced by the test and demo scripts: a Wine prefix of our own and an X display.
# Starts Xvfb when no display is given (or when SETUP_FORCE_XVFB=1).
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$PWD/build/wineprefix}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# WINE is the loader the scripts run programs with. The wine wrapper picks the 32-bit loader
# whenever it is installed, but a kernel without ia32 emulation runs no 32-bit code at all; there
# only wine64 and 64-bit programs work.
if [ -z "${WINE:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then WINE=wine; else WINE=/usr/lib/wine/wine64; fi
fi
export WINE

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
  "$WINE" wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi

# Wine draws the caption buttons with Marlett, which a 64-bit-only Wine does not find by itself.
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
fi

# Once per prefix: the Japanese UI font the windows name is not shipped with Wine, so it and its
# relatives are mapped to IPA fonts, and so is "Terminal", Wine's own having no Shift-JIS glyphs;
# and Wine draws title bars itself, since under Xvfb no window manager would, and screenshots
# would show windows without their titles.
if [ ! -f "$WINEPREFIX/.setup-prefix-v3" ]; then
  setup_reg=$(mktemp --suffix=.reg)
  {
    printf '\xff\xfe'
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
      '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' '"MS PGothic"="IPAPGothic"' \
      '"MS Gothic"="IPAGothic"' '"MS UI Gothic"="IPAPGothic"' '"Terminal"="IPAGothic"' '' \
      '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Decorated"="N"' | iconv -f UTF-8 -t UTF-16LE
  } >"$setup_reg"
  "$WINE" regedit /S "Z:$setup_reg" >/dev/null 2>&1 && touch "$WINEPREFIX/.setup-prefix-v3"
  wineserver -w
  rm -f "$setup_reg"
fi
