#!/usr/bin/env bash
# Makes a Wine prefix ready for the tests, once: created by the 64-bit loader (which runs
# natively on every machine here), the 32-bit builtin DLLs linked into syswow64 where qemu runs
# the 32-bit programs, the Japanese UI fonts mapped, title bars drawn by Wine itself.
#
#   prefix.sh <prefix>        make it (a half-made one is made anew)
#   prefix.sh stop <prefix>   end the prefix's Wine session
#
# Environment: SETUP_I686_ROUTE (native or qemu, from the build's configuration).
set -u
source "$(dirname "$0")/layout.sh"
loader64=/usr/lib/wine/wine64
builtins32=/usr/lib/i386-linux-gnu/wine/i386-windows

fail() {
  echo "prefix.sh: $*" >&2
  exit 1
}

if [ "${1:-}" = stop ]; then
  WINEPREFIX=$2 timeout -k 5 30 wineserver -k 2>/dev/null
  exit 0
fi
[ $# -eq 1 ] || fail "usage: prefix.sh [stop] <prefix>"
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
ready=$WINEPREFIX/.setup-ready-v2
[ -f "$ready" ] && exit 0

echo "prefix.sh: creating the Wine prefix $WINEPREFIX"
timeout -k 5 30 wineserver -k 2>/dev/null
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
# wineboot returns before the services it started have written the registry; only when the
# session is over is the prefix complete.
WINEARCH=win64 timeout -k 10 300 "$loader64" wineboot -i >/dev/null 2>&1
timeout -k 10 120 wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || fail "wineboot did not create $WINEPREFIX"

# Only a 32-bit wineboot would install the 32-bit system files; Wine's builtin DLLs serve as
# them, so that no Wine service has to run under qemu.
wow=$WINEPREFIX/drive_c/windows/syswow64
if [ ! -e "$wow/kernel32.dll" ]; then
  [ -d "$builtins32" ] || fail "no 32-bit Wine DLLs in $builtins32 (install wine32:i386)"
  cp -sn "$builtins32"/* "$wow"/ || fail "cannot link the 32-bit DLLs into $wow"
fi
# Nor the x86 side-by-side assemblies: without them a 32-bit program's manifest finds no common
# controls 6, its buttons are user32's, which refuse an image beside a caption, and no glyph is
# drawn. Each gets the amd64 assembly's manifest, and the 32-bit builtin for each file.
sxs=$WINEPREFIX/drive_c/windows/winsxs
for manifest in "$sxs"/manifests/amd64_*.manifest; do
  name=$(basename "$manifest" .manifest)
  x86=x86_${name#amd64_}
  [ -e "$sxs/manifests/$x86.manifest" ] && continue
  files=$(sed -n 's/.*<file name="\([^"]*\)".*/\1/p' "$manifest")
  for file in $files; do [ -f "$builtins32/$file" ] || continue 2; done
  mkdir -p "$sxs/$x86" || fail "cannot make $sxs/$x86"
  for file in $files; do ln -sfn "$builtins32/$file" "$sxs/$x86/$file"; done
  sed 's/processorArchitecture="amd64"/processorArchitecture="x86"/' "$manifest" \
    >"$sxs/manifests/$x86.manifest" || fail "cannot write $x86.manifest"
done

# Wine draws the caption buttons with Marlett, which a 64-bit wineboot does not install.
fonts=$WINEPREFIX/drive_c/windows/Fonts
[ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"

# The Japanese UI font the windows name is not shipped with Wine, so it and its relatives are
# mapped to IPA fonts, and so is "Terminal", Wine's own having no Shift-JIS glyphs; and Wine
# draws title bars itself, since under Xvfb no window manager would.
reg=$WINEPREFIX/setup-fonts.reg
{
  printf '\xff\xfe'
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' '"MS PGothic"="IPAPGothic"' \
    '"MS Gothic"="IPAGothic"' '"MS UI Gothic"="IPAPGothic"' '"Terminal"="IPAGothic"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Decorated"="N"' | iconv -f UTF-8 -t UTF-16LE
} >"$reg"
timeout -k 10 120 "$loader64" regedit /S "Z:$reg" >/dev/null 2>&1 || fail "regedit failed"
# The registry reaches user.reg only when the session ends.
timeout -k 10 120 wineserver -w
rm -f "$reg"
grep -q IPAPGothic "$WINEPREFIX/user.reg" || fail "the font replacements did not reach user.reg"
touch "$ready"
