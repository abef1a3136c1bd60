#!/usr/bin/env bash
# One end-to-end scenario of Setup.exe under Wine: a fresh program folder, a fresh card mapped as
# drive E: (label CARD), the Wine settings the scenario asks for, and the driver playing the user
# from the scenario's steps files. Their expect steps have setup-oracle compare the card, the log
# and the settings with what the archive and the choices make of the card as the run found it
# (a snapshot taken here). The card is a real FAT32 file system for the scenarios that write to
# it, checked by fsck.vfat after each run; a plain folder or a tmpfs for the others. The
# scenarios, at the end, say only what the card and the program folder hold before their runs.
#
#   run.sh <scenario> <Setup.exe> <driver.exe> <setupdata.bin> <setup-pack> <screenshot root>
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../wine/layout.sh"
failures=0

fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}
# check <description> <command...>
check() {
  local what=$1
  shift
  if "$@"; then echo "PASS $what"; else fail "$what"; fi
}

# A running Wine session may keep the drive letters and settings it saw at its start.
wine_fresh() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}

# prepare [fat [size [mkfs.vfat options]] | tmpfs <size>]: the program folder and the card, a
# FAT32 file system (64 MiB unless told) or a tmpfs when asked; a mount failing ends the scenario.
prepare() {
  E2E_APPDIR="$WINEPREFIX/drive_c/e2e/$E2E_SCENARIO"
  rm -rf "$E2E_APPDIR" "$E2E_SHOTS"
  mkdir -p "$E2E_APPDIR" "$E2E_CARD" "$E2E_SHOTS"
  cp "$E2E_SETUP" "$E2E_APPDIR/Setup.exe"
  export E2E_APPDIR
  if [ "${1:-}" = fat ]; then
    shift
    fat_card "$@" || { fail "a FAT32 card mounted as E:"; return 1; }
  elif [ "${1:-}" = tmpfs ]; then
    mount -t tmpfs -o "size=$2" tmpfs "$E2E_CARD" || { fail "a $2 tmpfs card (needs root)"; return 1; }
    E2E_TMPFS=1
  fi
  # Wine takes a mapped folder's label from this file at its root.
  echo CARD >"$E2E_CARD/.windows-label"
  wine_fresh
  ln -sfn "$E2E_CARD" "$WINEPREFIX/dosdevices/e:"
}

# ---- a FAT32 card ----
# The kernel here has no vfat, so the card is an image in the work folder, made by mkfs.vfat and
# mounted at $E2E_CARD through FUSE (fusefat). fusefat lists the volume label as an empty file in
# the root, reports no volume size (Wine sees 0 free of 0 total) and fails a write that finds the
# card full with "Access denied".
E2E_IMAGE=
E2E_FUSEFAT=
E2E_TMPFS=

fat_mounted() { awk -v dir="$E2E_CARD" '$2 == dir { found = 1 } END { exit !found }' /proc/mounts; }

# fat_card [size [mkfs.vfat options]]
fat_card() {
  local size=${1:-64M}
  shift
  E2E_IMAGE=$E2E_WORK/card.img
  rm -f "$E2E_IMAGE"
  if ! truncate -s "$size" "$E2E_IMAGE" ||
    ! mkfs.vfat -F 32 -n CARD "$@" "$E2E_IMAGE" >"$E2E_WORK/mkfs.log" 2>&1; then
    echo "  mkfs.vfat failed: $(tail -n 2 "$E2E_WORK/mkfs.log" | tr '\n' ' ')"
    return 1
  fi
  fat_mount
}

# fusefat stays in the foreground as our child, so that its end, when every write has reached
# the image, can be waited for.
fat_mount() {
  local i
  fusefat -f -o rw+ "$E2E_IMAGE" "$E2E_CARD" >>"$E2E_WORK/fusefat.log" 2>&1 &
  E2E_FUSEFAT=$!
  for ((i = 0; i < 500; i++)); do
    fat_mounted && return 0
    kill -0 "$E2E_FUSEFAT" 2>/dev/null || break
    sleep 0.01
  done
  if kill -0 "$E2E_FUSEFAT" 2>/dev/null; then
    echo "  fusefat has not mounted $E2E_IMAGE at $E2E_CARD after 5 s"
    fat_unmount
  else
    wait "$E2E_FUSEFAT"
    echo "  fusefat ended with status $? instead of mounting $E2E_IMAGE at $E2E_CARD" \
      "(/dev/fuse: $(ls -l /dev/fuse 2>&1)): $(tail -n 3 "$E2E_WORK/fusefat.log" | tr '\n' ' ')"
    E2E_FUSEFAT=
  fi
  return 1
}

# Unmounts the card, once no Wine program holds a file on it, and waits for fusefat to end.
fat_unmount() {
  [ -n "$E2E_FUSEFAT" ] || return 0
  local i
  wine_fresh
  fat_mounted && { fusermount -u "$E2E_CARD" || fusermount -uz "$E2E_CARD"; }
  for ((i = 0; i < 1000; i++)); do
    kill -0 "$E2E_FUSEFAT" 2>/dev/null || break
    sleep 0.01
  done
  kill "$E2E_FUSEFAT" 2>/dev/null
  wait "$E2E_FUSEFAT" 2>/dev/null
  E2E_FUSEFAT=
}

# fat_check <when>: with the card unmounted, fsck.vfat -n finds nothing to mend: it ends with 0
# and says no more than its summary, whose "used/total clusters" E2E_CLUSTERS then holds. The
# scenario goes on with the card mounted again.
fat_check() {
  local report status
  fat_unmount
  report=$(fsck.vfat -n "$E2E_IMAGE" 2>&1)
  status=$?
  echo "  $(tail -n 1 <<<"$report")"
  [ $status = 0 ] && [ "$(wc -l <<<"$report")" = 2 ] ||
    { head -n 20 <<<"$report"; fail "fsck.vfat -n finds the card's file system sound $1"; }
  report=${report##* files, }
  export E2E_CLUSTERS=${report%% *}
  fat_mount || fail "the FAT32 card mounted again"
}

# ---- the runs ----

# drive <steps>...: one driver run per steps file, each in a fresh Wine session and from a
# snapshot of the card, which the expect steps compare against. Wine's own error channel stays on,
# so that a session that fails to come up says why. E2E_RUNNER, when set, starts the driver where
# 32-bit programs run (tests/wine/i686.sh); E2E_WINEDEBUG, when set, turns on more of Wine's
# channels. The output goes to a file, not a pipe: a program the driver started (Notepad)
# outlives it and would hold a pipe open.
drive() {
  local steps rc from
  for steps; do
    rm -rf "$E2E_WORK/before"
    cp -a "$E2E_CARD" "$E2E_WORK/before"
    echo "--- driver: $steps" | tee -a "$E2E_WORK/driver.log"
    from=$(stat -c %s "$E2E_WORK/driver.log")
    WINEDEBUG=${E2E_WINEDEBUG:-fixme-all} timeout -k 10 240 ${E2E_RUNNER:+"$E2E_RUNNER"} \
      "$WINE" "$E2E_DRIVER" --app "C:\\e2e\\$E2E_SCENARIO\\${E2E_EXE:-Setup.exe}" \
      --script "Z:$here/steps/$steps.steps" --shots "$E2E_SHOTS" >>"$E2E_WORK/driver.log" 2>&1 </dev/null
    rc=$?
    tail -c +$((from + 1)) "$E2E_WORK/driver.log"
    wine_fresh
    [ -z "$E2E_IMAGE" ] || fat_check "after $steps"
    [ "$rc" = 0 ] || { fail "driver steps $steps (status $rc)"; return 1; }
    echo "PASS driver steps $steps"
  done
}

# set_dpi <dpi>: the pixel density of the screen, in both places Wine reads it from, which a
# fresh Wine session takes up. Set by the 64-bit reg, which runs natively on every machine here:
# under qemu a 32-bit one takes minutes. Neither key is redirected for 32-bit programs.
set_dpi() {
  local key got
  for key in 'HKCU\Control Panel\Desktop' \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    /usr/lib/wine/wine64 reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
      { echo "  cannot set LogPixels under $key"; return 1; }
  done
  got=$(/usr/lib/wine/wine64 reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null |
    tr -d '\r' | awk '$1 == "LogPixels" { print $3 }')
  wine_fresh
  [ "$((got))" = "$1" ] || { echo "  LogPixels is $got"; return 1; }
}

# The Unix locale that makes Wine's ANSI code page 932, built into the work tree when the
# system lacks it (as tests/win32/run.sh does).
japanese_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8' && return 0
  local dir="$E2E_WORK/../locale"
  [ -f "$dir/ja_JP.UTF-8/LC_CTYPE" ] || { mkdir -p "$dir" && localedef -i ja_JP -f UTF-8 \
    "$dir/ja_JP.UTF-8" >/dev/null 2>&1; }
  [ -f "$dir/ja_JP.UTF-8/LC_CTYPE" ] || return 1
  LOCPATH=$(cd "$dir" && pwd)
  export LOCPATH
}

# ---- the scenarios: what the card and the program folder hold before each run ----

scenario_first_run() { prepare fat && drive first_run; }
scenario_japanese() { prepare fat && drive japanese; }
scenario_extract() { prepare && mkdir "$E2E_APPDIR/out" && drive extract; }
scenario_log_blocked() { prepare && mkdir "$E2E_APPDIR/Setup.log" && drive log_blocked; }

scenario_second_run() {
  prepare fat && drive first_run || return
  # A user edit between the runs: its backup must hold the edited bytes, not the archive's.
  printf 'edited by the user\r\n' >>"$E2E_CARD/Skylarch/global.ini"
  drive second_run
}

scenario_cancel() {
  prepare
  for steps in cancel_language cancel_drive cancel_main; do
    # A log left by an earlier run goes when the program starts, whatever happens later.
    printf 'old log\r\n' >"$E2E_APPDIR/Setup.log"
    drive $steps
  done
}

scenario_card_failure() {
  prepare fat || return
  mkdir -p "$E2E_CARD/Skylarch/skin/winbody.bmp" "$E2E_CARD/Skylarch/se"
  printf 'old global\r\n' >"$E2E_CARD/Skylarch/global.ini"
  printf 'old cursor' >"$E2E_CARD/Skylarch/se/cursor.wav"
  drive card_failure
}

scenario_damaged_archive() {
  prepare
  # The header promises 40 entries, but the bytes end inside the fourth entry's data.
  head -c 2000 "$E2E_ARCHIVE" >"$WINEPREFIX/drive_c/e2e/damaged.bin"
  drive damaged_archive
  rm -f "$WINEPREFIX/drive_c/e2e/damaged.bin"
}

# DLLs of the kinds a program's start, its common controls and the save dialog reach for;
# planted beside the program, as in a Downloads folder. Some are KnownDLLs on Windows, but Wine
# has none and loads some of them later by name through the standard search order (msimg32 by
# uxtheme's delay-load, ole32 once the first window is up), which the program therefore loads
# first. Left out: what Wine's own start-up loads from the program's folder before the program's
# first instruction (version, imm32, ucrtbase, zlib1); the image's DependentLoadFlags does not
# change that under Wine 8.
# E2E_PLANTED names more to try.
planted=(${E2E_PLANTED:-} uxtheme dwmapi comctl32 cryptbase winmm propsys oleacc userenv mpr
  netapi32 wtsapi32 dbghelp sspicli windowscodecs msimg32 ole32 combase rpcrt4 oleaut32 shcore
  shlwapi shell32 comdlg32 compstui actxprxy)

scenario_planted_dlls() {
  prepare
  # Of the program's own build, whose machine they must match.
  local bin name overrides
  bin=$(dirname "$E2E_SETUP")/tests/e2e
  mkdir "$E2E_APPDIR/out"
  for name in "${planted[@]}"; do cp "$bin/planted.dll" "$E2E_APPDIR/$name.dll"; done
  # n,b: Wine takes a native DLL of the name from the program's folder when the search finds it.
  overrides="$WINEDLLOVERRIDES;$(IFS=,; echo "${planted[*]}")=n,b"
  WINEDLLOVERRIDES=$overrides drive planted_dlls
  # The same copies, loaded by a program that leaves the search order as it is, must all be
  # found; otherwise the steps' check that none left its marker proves nothing.
  cp "$bin/plant_probe.exe" "$E2E_APPDIR/"
  check "no planted DLL was loaded, and each leaves its marker when a program does load it" \
    env WINEDLLOVERRIDES="$overrides" ${E2E_RUNNER:+"$E2E_RUNNER"} "$WINE" \
    "C:\\e2e\\planted_dlls\\plant_probe.exe" "${planted[@]/%/.dll}"
}

# A real 1 MiB card, too small for a setup with backups unticked, holding an old version of
# everything the setup writes.
scenario_full_card() {
  prepare tmpfs 1m && "$E2E_ORACLE" old "$E2E_ARCHIVE" "$E2E_CARD" --untick sysExistBackupChk &&
    drive full_card
}

scenario_open_global_ini() {
  prepare fat || return
  mkdir -p "$E2E_CARD/Skylarch"
  printf '; the card'"'"'s own global.ini\r\n[System]\r\nLanguage=1\r\n' >"$E2E_CARD/Skylarch/global.ini"
  drive open_global_ini
}

# A nearly full 40 MiB FAT32 card with 512-byte clusters, holding the user's older versions of
# three configuration files; the steps fill it with a video of the user's.
scenario_card_refilled() {
  prepare fat 40M -s 1 || return
  mkdir -p "$E2E_CARD/Skylarch/se"
  printf '; the user'"'"'s own global.ini\r\n[System]\r\nLanguage=0\r\n' >"$E2E_CARD/Skylarch/global.ini"
  yes "the user's older font12.glf" | head -c 6000 >"$E2E_CARD/Skylarch/font12.glf"
  yes "the user's winopen.wav" | head -c 3000 >"$E2E_CARD/Skylarch/se/winopen.wav"
  cp -a "$E2E_CARD/Skylarch" "$E2E_WORK/user"
  fat_check "before the setup"
  drive card_refilled card_refilled_again
}

# dpi_run <dpi> <steps>: a default setup at that density; the prefix goes back to 96 DPI after,
# since the other scenarios share it.
dpi_run() {
  prepare fat || return
  check "LogPixels $1" set_dpi "$1" && drive "$2"
  check "the prefix is back at 96 DPI" set_dpi 96
}
scenario_dpi_150() { dpi_run 144 dpi_150; }
scenario_dpi_200() { dpi_run 192 dpi_200; }

scenario_japanese_system() {
  prepare fat || return
  japanese_locale || { fail "no ja_JP.UTF-8 locale (localedef failed)"; return; }
  # A new file: fusefat frees the cluster of a file cut to nothing and leaves the written bytes
  # without one (fsck.vfat: "Contains a free cluster").
  rm "$E2E_CARD/.windows-label"
  printf '%s\n' 'メモリーカード' >"$E2E_CARD/.windows-label"
  E2E_CODEPAGE=CP932 LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 drive japanese_system
}

scenario_installer_name() {
  prepare fat || return
  mv "$E2E_APPDIR/Setup.exe" "$E2E_APPDIR/Installer.exe"
  export E2E_EXE=Installer.exe
  drive installer_name || return
  printf 'old log\r\n' >"$E2E_APPDIR/Installer.log"
  drive installer_name_again
}

# ---- main ----

if [ $# -lt 6 ]; then
  echo "usage: $0 <scenario> <Setup.exe> <driver.exe> <setupdata.bin> <setup-pack> <screenshot root>"
  exit 2
fi
# The scenario's mounts (a FAT32 card, a tmpfs) live in a mount namespace of its own. Programs
# that copy the machine's mounts into namespaces of theirs (tests/wine/i686.sh, of any build on
# the machine) would otherwise hold a copy of the card, and keep fusefat running, until they
# end; and a run that is killed leaves no mount behind.
if [ -z "${E2E_OWN_MOUNTS:-}" ] && unshare --mount --propagation private true 2>/dev/null; then
  E2E_OWN_MOUNTS=1 exec unshare --mount --propagation private "$BASH" "$0" "$@"
fi
export E2E_SCENARIO=$1 E2E_SETUP=$2 E2E_DRIVER=$3 E2E_ARCHIVE=$4 E2E_SHOTS="$6/$1"
# Built beside the host tools.
export E2E_ORACLE=${E2E_ORACLE:-$(dirname "$(dirname "$5")")/tests/oracle/setup-oracle}
export E2E_WORK="${E2E_WORK_ROOT:-$(dirname "$E2E_SETUP")/e2e}/$1"
# Under CTest a fixture unpacks the archive once.
export E2E_PAYLOAD="${E2E_PAYLOAD:-$E2E_WORK/payload}" E2E_CARD="$E2E_WORK/card"

cd "$here/../.." || exit 1
source scripts/wine-env.sh || exit 1

# A card left mounted by a killed run outside a namespace of its own goes first; a failing run
# still unmounts its own.
if fat_mounted; then fusermount -u "$E2E_CARD" || fusermount -uz "$E2E_CARD"; fi
trap 'fat_unmount; [ -z "$E2E_TMPFS" ] || umount "$E2E_CARD"' EXIT
trap 'exit 130' INT TERM
rm -rf "$E2E_WORK"
mkdir -p "$E2E_WORK"
if [ ! -d "$E2E_PAYLOAD" ]; then
  "$5" extract "$E2E_ARCHIVE" "$E2E_PAYLOAD" >/dev/null || { echo "FAIL cannot unpack the archive"; exit 1; }
fi

"scenario_$E2E_SCENARIO"
rm -f "$WINEPREFIX/dosdevices/e:"
echo "Screenshots: $E2E_SHOTS"
if [ $failures = 0 ]; then echo "PASS $E2E_SCENARIO"; else echo "FAIL $E2E_SCENARIO: $failures failed"; fi
[ $failures = 0 ]
