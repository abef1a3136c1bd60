#!/usr/bin/env bash
# Runs the Win32 test program under Wine: a scratch folder becomes drive Q: with the volume
# label SETUPTEST, and where this system lets us mount one, a 1 MiB RAM disk becomes drive R:,
# a card that fills up. Both are gone afterwards. Exits with the test program's status.
# WINE overrides the loader; extra arguments go to the test program.
set -u
source "$(dirname "$0")/../wine/layout.sh"
exe=$1
shift
# The PE header's machine field: 8664 for a 64-bit build, which needs Wine's 64-bit loader.
machine=$(od -An -tx2 -j $(($(od -An -tu4 -j60 -N4 "$exe") + 4)) -N2 "$exe" | tr -d ' ')
if [ "$machine" = 8664 ]; then
  wine=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
else
  wine=${WINE:-wine}
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$(dirname "$exe")/wineprefix}
# Under CTest the prefix's fixture has made it and started its display.
bash "$(dirname "$0")/../wine/prefix.sh" "$WINEPREFIX" || exit 1
if [ -n "${SETUP_WINE_STATE:-}" ]; then
  source "$(dirname "$0")/../wine/on-display.sh" || exit 1
fi

scratch=$(mktemp -d)
mounted=
cleanup() {
  rm -f "$WINEPREFIX/dosdevices/q:" "$WINEPREFIX/dosdevices/r:"
  [ -n "$mounted" ] && umount "$scratch/full"
  rm -rf "$scratch"
  [ -z "${SETUP_WINE_STATE:-}" ] || on_display_note end
}
trap cleanup EXIT

mkdir -p "$scratch/card" "$scratch/full"
printf 'SETUPTEST\n' >"$scratch/card/.windows-label"
ln -sfn "$scratch/card" "$WINEPREFIX/dosdevices/q:"
export SETUP_TEST_DRIVE='Q:\' SETUP_TEST_LABEL=SETUPTEST
if mount -t tmpfs -o size=1m tmpfs "$scratch/full" 2>/dev/null; then
  mounted=1
  ln -sfn "$scratch/full" "$WINEPREFIX/dosdevices/r:"
  export SETUP_FULL_DRIVE='R:\'
fi
# A Wine session that is already running does not see drives mapped after it started.
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null

# Code page 932, the ANSI code page of the Japanese systems the program is made for. Wine
# takes it from the Unix locale, built once into the build tree when the system lacks it;
# without the locale Wine could not convert non-ASCII file names, so then the default stays.
locales=$(dirname "$exe")/locale
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
  if [ ! -f "$locales/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$locales"
    localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" >/dev/null 2>&1
  fi
  [ -f "$locales/ja_JP.UTF-8/LC_CTYPE" ] && export LOCPATH=$locales
fi
japanese=()
if [ -n "${LOCPATH:-}" ] || locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
  japanese=(LC_ALL=ja_JP.UTF-8)
fi
env "${japanese[@]}" "$wine" "$exe" "$@"
status=$?
if [ $status -eq 126 ] && [ "$machine" = 014c ]; then
  echo "run.sh: this machine cannot execute 32-bit x86 code (no IA32 emulation in its kernel)," \
    "so Wine cannot start $exe" >&2
fi
exit $status
