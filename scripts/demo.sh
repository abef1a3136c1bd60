#!/usr/bin/env bash
# The demo: builds Setup.exe, maps a card folder as drive E: (volume label CARD) in a Wine prefix
# of our own and runs the program. On your display when one is reachable you are the user;
# otherwise it runs under Xvfb and the end-to-end driver clicks through a default setup,
# photographing every window. Then it prints the card's tree, the setup log and where the
# screenshots are.
#
# SETUP_WIN32_DIR names an existing build of Setup.exe and the driver to use instead of building
# the presets.
set -uo pipefail
source "$(dirname "$0")/../tests/wine/layout.sh"
cd "$(dirname "$0")/.." || exit 1
bash scripts/deps.sh || exit 1

if [ -n "${SETUP_WIN32_DIR:-}" ]; then
  win_dir=$SETUP_WIN32_DIR
else
  # Only what the demo runs: the tools that pack the payload, Setup.exe and the driver (no test
  # program, no benchmark).
  win_dir=build/win32
  cmake --preset host >/dev/null && cmake --build --preset host --target setup-pack standin-payload || exit 1
  cmake --preset win32 >/dev/null || exit 1
  # A kernel without ia32 emulation runs no 32-bit code (the configuration found which): Wine
  # then runs the x86-64 build.
  SETUP_I686_ROUTE=$(cat build/win32/i686-route)
  export SETUP_I686_ROUTE
  if [ "$SETUP_I686_ROUTE" = qemu ]; then
    echo "This kernel runs no 32-bit code: the demo runs the x86-64 build of the same sources."
    win_dir=build/win64
    cmake --preset win64 -DSETUP_I686_RUNNER=qemu >/dev/null || exit 1
  fi
  cmake --build --preset "${win_dir#build/}" --target Setup e2e_driver || exit 1
fi
setup_exe="$win_dir/Setup.exe"
driver_exe="$win_dir/tests/e2e/driver.exe"

# A display that is set but cannot be reached (a stale DISPLAY over ssh) counts as none.
interactive=0
if [ -n "${DISPLAY:-}" ] && timeout 5 xwd -root -silent >/dev/null 2>&1; then
  interactive=1
else
  unset DISPLAY
fi
source scripts/wine-env.sh

card="$PWD/build/demo/card"
app_dir="$WINEPREFIX/drive_c/demo"
shots="$PWD/build/screenshots/demo"
rm -rf "$card" "$app_dir" "$shots"
mkdir -p "$card" "$app_dir" "$shots"
echo CARD >"$card/.windows-label"
wineserver -k 2>/dev/null
ln -sfn "$card" "$WINEPREFIX/dosdevices/e:"
cp "$setup_exe" "$app_dir/Setup.exe"

status=0
if [ $interactive = 1 ]; then
  echo "Setup.exe runs on $DISPLAY; drive E: is $card."
  "$WINE" 'C:\demo\Setup.exe' || status=$?
else
  echo "No display: Setup.exe runs under Xvfb ($DISPLAY), driven through a default setup."
  timeout 300 "$WINE" "$driver_exe" --app 'C:\demo\Setup.exe' \
    --script "Z:$PWD/tests/e2e/steps/demo.steps" --shots "$shots" || status=$?
  wineserver -k 2>/dev/null
fi

echo
echo "== The card (drive E:, $card)"
(cd "$card" && find . -mindepth 1 ! -name .windows-label -printf '%y %9s  %P\n' | LC_ALL=C sort -k3)
echo
echo "== Setup.log"
if [ -f "$app_dir/Setup.log" ]; then tr -d '\r' <"$app_dir/Setup.log"; else echo "(none: no setup ran)"; fi
echo
echo "== Setup.ini"
if [ -f "$app_dir/Setup.ini" ]; then tr -d '\r' <"$app_dir/Setup.ini"; else echo "(none)"; fi
echo
if [ -n "$(ls -A "$shots")" ]; then
  echo "Screenshots: $shots"
  ls "$shots"
else
  echo "Screenshots: none (they are taken when the driver runs the program under Xvfb)"
fi
rm -f "$WINEPREFIX/dosdevices/e:"
exit $status
