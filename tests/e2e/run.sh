#!/usr/bin/env bash
# One end-to-end scenario of Setup.exe under Wine: a fresh program folder, a fresh card mapped as
# drive E: (label CARD), the driver playing the user from a steps file, and then the card, the
# log and the settings checked from here against the archive the program embeds. The card is a
# real FAT32 file system for the scenarios that write to it, a plain folder for the others.
#
#   run.sh <scenario> <Setup.exe> <driver.exe> <setupdata.bin> <setup-pack> <screenshot root>
#   run.sh hook <name>     the driver calls back in the middle of a run (environment from above)
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../wine/layout.sh"
failures=0

pass() { echo "PASS $*"; }
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}
# check <description> <command...>
check() {
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

# ---- what the program must leave: computed by setup-oracle from the archive and the choices ----


# Files at the card's root that are not the program's: Wine's label file, and the FAT volume
# label, which fusefat lists as an empty file.
card_files() {
  (cd "$E2E_CARD" && find . -type f ! -path ./.windows-label ! -path ./CARD | sed 's|^\./||' |
    LC_ALL=C sort)
}

# snapshot <name>: the card as it is now, kept as $E2E_WORK/<name>.card for the oracle.
snapshot() {
  rm -rf "$E2E_WORK/$1.card"
  cp -a "$E2E_CARD" "$E2E_WORK/$1.card"
  rm -f "$E2E_WORK/$1.card/CARD"
}

# expect <name> <snapshot> [oracle options]: what one attempt over that card must leave, in
# $E2E_WORK/<name>/ (card/, Setup.log, settings, installed).
expect() {
  local name=$1 before=$2
  shift 2
  "$E2E_ORACLE" "$E2E_ARCHIVE" "$E2E_WORK/$before.card" "$E2E_WORK/$name" --start "$E2E_START" \
    --line "$(drive_line)" "$@" || fail "setup-oracle $name"
}

# The program's log and settings file are named after it.
program_file() { echo "$E2E_APPDIR/${E2E_EXE:-Setup.exe}" | sed "s/\.exe\$/.$1/"; }

# log_is <expectation>...: the log is those attempts' lines, byte for byte; converted to the code
# page E2E_CODEPAGE names when it is set (932 on a Japanese system).
log_is() {
  local got want="$E2E_WORK/want.log" name
  got=$(program_file log)
  [ -f "$got" ] || { echo "  no $(basename "$got")"; return 1; }
  : >"$want"
  for name in "$@"; do
    if [ -n "${E2E_CODEPAGE:-}" ]; then
      iconv -f UTF-8 -t "$E2E_CODEPAGE" "$E2E_WORK/$name/Setup.log" >>"$want"
    else
      cat "$E2E_WORK/$name/Setup.log" >>"$want"
    fi
  done
  cmp -s "$want" "$got" && return 0
  echo "  $(basename "$got") differs from the expected lines:"
  diff <(tr -d '\r' <"$want") <(tr -d '\r' <"$got") | head -n 20
  return 1
}

# card_is <expectation>: the card holds exactly the expected files and folders, byte for byte.
card_is() {
  diff -r --exclude=.windows-label --exclude=CARD "$E2E_WORK/$1/card" "$E2E_CARD" \
    >"$E2E_WORK/tree.diff" && return 0
  echo "  the card differs from the expected one:"
  head -n 20 "$E2E_WORK/tree.diff"
  return 1
}

# settings_are <expectation>: Setup.ini holds the expected keys and values, sections and keys
# matched ignoring case as the private-profile functions do.
settings_are() {
  local ini
  ini=$(program_file ini)
  [ -f "$ini" ] || { echo "  no $(basename "$ini")"; return 1; }
  diff <(tr -d '\r' <"$ini" | awk '
    /^\[.*\]$/ { section = tolower(substr($0, 2, length($0) - 2)); next }
    /=/ { print section "." $0 }' | LC_ALL=C sort) <(LC_ALL=C sort "$E2E_WORK/$1/settings")
}

card_empty() {
  [ -z "$(card_files)" ] &&
    [ "$(find "$E2E_CARD" -mindepth 1 ! -path "$E2E_CARD/.windows-label" | wc -l)" = 0 ]
}

nothing_written() {
  [ "$(ls -A "$E2E_APPDIR")" = Setup.exe ] || { echo "  program folder holds: $(ls -A "$E2E_APPDIR")"; return 1; }
}

# ---- running the program ----

# prepare [fat [size [mkfs.vfat options]]]: the program folder and the card; "fat" makes the
# card a FAT32 file system (64 MiB unless told), whose mount failing ends the scenario.
prepare() {
  E2E_APPDIR="$WINEPREFIX/drive_c/e2e/$E2E_SCENARIO"
  E2E_START="C:\\e2e\\$E2E_SCENARIO\\"
  rm -rf "$E2E_APPDIR" "$E2E_CARD" "$E2E_SHOTS"
  mkdir -p "$E2E_APPDIR" "$E2E_CARD" "$E2E_SHOTS"
  cp "$E2E_SETUP" "$E2E_APPDIR/Setup.exe"
  if [ "${1:-}" = fat ]; then
    shift
    fat_card "$@" || { fail "a FAT32 card mounted as E:"; return 1; }
  fi
  # Wine takes a mapped folder's label from this file at its root.
  echo CARD >"$E2E_CARD/.windows-label"
  # A running Wine session may keep the drive letters it saw at its start; begin a fresh one.
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  ln -sfn "$E2E_CARD" "$WINEPREFIX/dosdevices/e:"
  export E2E_APPDIR E2E_START E2E_CARD
}

# ---- a FAT32 card ----
# The kernel here has no vfat, so the card is an image in the work folder, made by mkfs.vfat and
# mounted at $E2E_CARD through FUSE (fusefat); the scenario's end unmounts it and checks it with
# fsck.vfat. fusefat lists the volume label as an empty file in the root, reports no volume size
# (Wine sees 0 free of 0 total) and fails a write that finds the card full with "Access denied".
E2E_IMAGE=
E2E_FUSEFAT=

fat_mounted() { awk -v dir="$E2E_CARD" '$2 == dir { found = 1 } END { exit !found }' /proc/mounts; }

# fat_card [size [mkfs.vfat options]]
fat_card() {
  local size=${1:-64M} from=$EPOCHREALTIME
  shift
  E2E_IMAGE=$E2E_WORK/card.img
  rm -f "$E2E_IMAGE"
  if ! truncate -s "$size" "$E2E_IMAGE" ||
    ! mkfs.vfat -F 32 -n CARD "$@" "$E2E_IMAGE" >"$E2E_WORK/mkfs.log" 2>&1; then
    echo "  mkfs.vfat failed: $(tail -n 2 "$E2E_WORK/mkfs.log" | tr '\n' ' ')"
    return 1
  fi
  fat_mount || return
  echo "  FAT32 card of $size made and mounted in $(seconds_since "$from") s"
}

seconds_since() { awk -v from="$1" -v to="$EPOCHREALTIME" 'BEGIN { printf "%.3f", to - from }'; }

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
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  fat_mounted && { fusermount -u "$E2E_CARD" || fusermount -uz "$E2E_CARD"; }
  for ((i = 0; i < 1000; i++)); do
    kill -0 "$E2E_FUSEFAT" 2>/dev/null || break
    sleep 0.01
  done
  kill "$E2E_FUSEFAT" 2>/dev/null
  wait "$E2E_FUSEFAT" 2>/dev/null
  E2E_FUSEFAT=
}

# fsck.vfat -n finds nothing to mend: it ends with 0 and says no more than its summary.
fat_sound() {
  local report status
  report=$(fsck.vfat -n "$E2E_IMAGE" 2>&1)
  status=$?
  echo "  $(tail -n 1 <<<"$report")"
  [ $status = 0 ] && [ "$(wc -l <<<"$report")" = 2 ] && return 0
  head -n 20 <<<"$report"
  return 1
}

# fat_check <when>: the card unmounted and checked; the scenario goes on with it mounted again.
fat_check() {
  fat_unmount
  check "fsck.vfat -n finds the card's file system sound $1" fat_sound
  fat_mount || fail "the FAT32 card mounted again"
}

# drive <steps file>: the driver plays the steps. Wine's own error channel stays on, so that a
# session that fails to come up says why. E2E_RUNNER, when set, starts the driver where 32-bit
# programs run (tests/wine/i686.sh); E2E_WINEDEBUG, when set, turns on more of Wine's channels
# for a diagnosis. The output goes to a file, not a pipe: a program the driver started (Notepad)
# outlives it and would hold a pipe open.
drive() {
  local steps=$1 rc from
  echo "--- driver: $steps" | tee -a "$E2E_WORK/driver.log"
  from=$(stat -c %s "$E2E_WORK/driver.log")
  WINEDEBUG=${E2E_WINEDEBUG:-fixme-all} timeout -k 10 240 ${E2E_RUNNER:+"$E2E_RUNNER"} \
    "$WINE" "$E2E_DRIVER" --app "C:\\e2e\\$E2E_SCENARIO\\${E2E_EXE:-Setup.exe}" \
    --script "Z:$here/steps/$steps.steps" --shots "$E2E_SHOTS" >>"$E2E_WORK/driver.log" 2>&1 </dev/null
  rc=$?
  tail -c +$((from + 1)) "$E2E_WORK/driver.log"
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  [ "$rc" = 0 ] && { pass "driver steps $steps"; return 0; }
  fail "driver steps $steps (status $rc)"
  return 1
}

# The drive line the driver picked last, as the program lists it. Read from the driver's output,
# which a hook sees too while the driver is still running.
drive_line() { sed -n 's/^SELECTED //p' "$E2E_WORK/driver.log" 2>/dev/null | tail -n 1; }

# Wine reports a mapped folder as a fixed disk, so only the line's shape is fixed here.
drive_line_ok() { [[ $(drive_line) =~ ^E:\\\ .{9}\ \[CARD\]$ ]]; }

# ---- scenarios ----

scenario_first_run() {
  prepare fat || return
  snapshot before
  drive first_run || return
  check "the drive line has the form E:\\ <type> [CARD]: $(drive_line)" drive_line_ok
  expect run before --isjp 0 --untick OpenGlobalINIChk
  check "Setup.log holds the run's lines in order, CR LF" log_is run
  check "the card holds the 35 files, the 8 ROM images, the tool and an empty banner folder" card_is run
  check "Setup.ini holds the choices and isJP=0" settings_are run
}

scenario_second_run() {
  prepare fat || return
  drive first_run || return
  # A user edit between the runs: its backup must hold the edited bytes, not the archive's.
  printf 'edited by the user\r\n' >>"$E2E_CARD/Skylarch/global.ini"
  cp "$E2E_CARD/Skylarch/global.ini" "$E2E_WORK/global.ini.edited"
  snapshot before
  drive second_run || return
  expect run before --isjp 0 --untick OpenGlobalINIChk
  check "only the edited global.ini is backed up and written again" log_is run
  check "global.ini.bak is the one .bak; nothing else changed" card_is run
  check "the edited global.ini went to global.ini.bak" cmp -s "$E2E_WORK/global.ini.edited" \
    "$E2E_CARD/Skylarch/global.ini.bak"
  check "Setup.ini still holds the same choices" settings_are run
}

scenario_japanese() {
  prepare fat || return
  snapshot before
  drive japanese || return
  expect run before --isjp 1 --untick OpenGlobalINIChk
  check "Setup.log is the same in Japanese" log_is run
  check "the card is complete" card_is run
  check "Setup.ini holds isJP=1" settings_are run
}

scenario_extract() {
  prepare
  local out="$WINEPREFIX/drive_c/e2e/extract/out"
  mkdir -p "$out"
  drive extract || return
  check "the 40 entries are extracted byte for byte" diff -r "$E2E_PAYLOAD" "$out"
  rm -rf "$out"
  check "nothing installed on the card" card_empty
  check "no settings and no log" nothing_written
}

scenario_cancel() {
  prepare
  local steps
  for steps in cancel_language cancel_drive cancel_main; do
    # A log left by an earlier run goes when the program starts, whatever happens later.
    printf 'old log\r\n' >"$E2E_APPDIR/Setup.log"
    drive $steps || continue
    check "$steps: no log, no settings" nothing_written
    check "$steps: nothing on the card" card_empty
  done
}

scenario_card_failure() {
  prepare fat || return
  mkdir -p "$E2E_CARD/Skylarch/skin/winbody.bmp" "$E2E_CARD/Skylarch/se"
  printf 'old global\r\n' >"$E2E_CARD/Skylarch/global.ini"
  printf 'old cursor' >"$E2E_CARD/Skylarch/se/cursor.wav"
  snapshot before
  drive card_failure || return
  # What the first attempt installed holds its bytes already and is not backed up again: its
  # .bak keeps the user's bytes.
  expect again before-again --untick OpenGlobalINIChk
  check "Setup.log holds the failed attempt, then the complete second one" log_is first again
  check "the second attempt completed the card" card_is again
  check "global.ini.bak still holds the user's global.ini" cmp -s <(printf 'old global\r\n') \
    "$E2E_CARD/Skylarch/global.ini.bak"
  check "Setup.ini written at the end" settings_are again
}

scenario_damaged_archive() {
  prepare
  # The header promises 40 entries, but the bytes end inside the fourth entry's data.
  head -c 2000 "$E2E_ARCHIVE" >"$WINEPREFIX/drive_c/e2e/damaged.bin"
  drive damaged_archive
  rm -f "$WINEPREFIX/drive_c/e2e/damaged.bin"
  check "no log, no settings" nothing_written
  check "nothing on the card" card_empty
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

# markers none|all: which planted DLLs have left "<name>.dll.loaded" beside the program.
markers() {
  local name marker bad=0
  for name in "${planted[@]}"; do
    marker="$E2E_APPDIR/$name.dll.loaded"
    if [ -e "$marker" ]; then
      [ "$1" = none ] && { echo "  loaded: $name.dll by $(tr -d '\0\r' <"$marker" | tr '\n' ' ')"; bad=1; }
    else
      [ "$1" = all ] && { echo "  not loaded: $name.dll"; bad=1; }
    fi
  done
  return $bad
}

scenario_planted_dlls() {
  prepare
  local out="$E2E_APPDIR/out" bin name overrides
  # Of the program's own build, whose machine they must match.
  bin=$(dirname "$E2E_SETUP")/tests/e2e
  mkdir -p "$out"
  for name in "${planted[@]}"; do cp "$bin/planted.dll" "$E2E_APPDIR/$name.dll"; done
  # n,b: Wine takes a native DLL of the name from the program's folder when the search finds it.
  overrides="$WINEDLLOVERRIDES;$(IFS=,; echo "${planted[*]}")=n,b"
  WINEDLLOVERRIDES=$overrides drive planted_dlls
  check "no planted DLL was loaded" markers none
  check "the 40 entries are extracted byte for byte" diff -r "$E2E_PAYLOAD" "$out"
  check "nothing installed on the card" card_empty
  # The same copies, loaded by a program that leaves the search order as it is, must all be
  # found; otherwise the check above proves nothing.
  cp "$bin/plant_probe.exe" "$E2E_APPDIR/"
  WINEDLLOVERRIDES=$overrides ${E2E_RUNNER:+"$E2E_RUNNER"} "$WINE" \
    "C:\\e2e\\planted_dlls\\plant_probe.exe" "${planted[@]/%/.dll}"
  check "each planted DLL leaves its marker when a program does load it" markers all
}

# Called by the driver while the error has been answered and the main window waits.
hook_failure_midway() {
  expect first before --untick OpenGlobalINIChk --fails-at 'Skylarch\skin\winbody.bmp'
  check "Setup.log ends with the failing step" log_is first
  rmdir "$E2E_CARD/Skylarch/skin/winbody.bmp"
  check "files before the failing one are complete, none after it is written, no settings yet" \
    card_is first
  check "no settings yet" test ! -e "$E2E_APPDIR/Setup.ini"
  snapshot before-again
}

# A real 1 MiB card, too small for a setup with backups unticked. It holds an old version of
# everything the setup writes; the setup is refused before anything reaches the card, and the
# box names the drive, the room needed and the room free (in MB, rounded down).
scenario_full_card() {
  prepare
  mount -t tmpfs -o size=1m tmpfs "$E2E_CARD" ||
    { fail "cannot mount a 1 MiB tmpfs card (needs root)"; return; }
  echo CARD >"$E2E_CARD/.windows-label"
  local name
  "$E2E_ORACLE" "$E2E_ARCHIVE" /nonexistent "$E2E_WORK/all" --untick sysExistBackupChk >/dev/null
  while IFS= read -r name; do
    mkdir -p "$(dirname "$E2E_CARD/$name")"
    printf 'old %s\r\n' "$name" >"$E2E_CARD/$name"
  done < <(cd "$E2E_WORK/all/card" && find . -type f | sed 's|^\./||')
  snapshot before
  # What the volume has free for the program, in tenths of a MB rounded down.
  local free
  free=$(stat -f -c '%a %S' "$E2E_CARD" | awk '{ printf "%d", $1 * $2 * 10 / 1048576 }')
  drive full_card
  expect refused before --untick sysExistBackupChk --untick OpenGlobalINIChk --refused 1
  check "Setup.log holds the three start lines only" log_is refused
  check "the card is as it was: nothing written, no folder made" card_is refused
  check "the box names E:\\, the room needed and $((free / 10)).$((free % 10)) MB free" \
    room_box "$free"
  umount "$E2E_CARD"
}

# room_box <free tenths>: the error box showed that much free and more than that needed.
room_box() {
  local text need re
  text=$(grep -a '^  message "Setup Skylarch Version 0.6"' "$E2E_WORK/driver.log" | tail -n 1)
  echo "  $text"
  re='on E:\\\. The setup needs ([0-9]+)\.([0-9]) MB; the drive has ([0-9]+)\.([0-9]) MB free'
  [[ $text =~ $re ]] || return 1
  need=$((BASH_REMATCH[1] * 10 + BASH_REMATCH[2]))
  [ "$((BASH_REMATCH[3] * 10 + BASH_REMATCH[4]))" = "$1" ] && [ "$need" -gt "$1" ]
}

scenario_open_global_ini() {
  prepare fat || return
  mkdir -p "$E2E_CARD/Skylarch"
  printf '; the card'"'"'s own global.ini\r\n[System]\r\nLanguage=1\r\n' >"$E2E_CARD/Skylarch/global.ini"
  snapshot before
  drive open_global_ini || return
  expect run before --untick confGlobalINIChk
  check "the card's own global.ini is neither replaced nor backed up" card_is run
  check "Setup.ini holds OpenGlobalINI=1 and global.ini=0" settings_are run
}

# ---- a setup started again after a failure ----

# The user's older versions of three configuration files.
user_files=(Skylarch/global.ini Skylarch/font12.glf Skylarch/se/winopen.wav)
video=holiday.avi
full_at=Skylarch_SCMS_SuperCard_MicroSD.nds

# Sizes in, the 512-byte clusters they take out.
in_clusters() { awk '{ n += int(($1 + 511) / 512) } END { print n + 0 }'; }
# clusters <folder> <file>...
clusters() { (cd "$1" && shift && stat -c %s "$@") | in_clusters; }

# A nearly full 40 MiB FAT32 card with 512-byte clusters: a video of the user's leaves room for
# a default setup up to the middle of the fourth ROM image. The first start fails there; the
# user deletes the video and starts Setup again, which completes. Every file the user had must
# then be on the card, in the file or in its .bak.
scenario_card_refilled() {
  prepare fat 40M -s 1 || return
  local f free need
  mkdir -p "$E2E_CARD/Skylarch/se"
  printf '; the user'"'"'s own global.ini\r\n[System]\r\nLanguage=0\r\n' >"$E2E_CARD/${user_files[0]}"
  yes "the user's older font12.glf" | head -c 6000 >"$E2E_CARD/${user_files[1]}"
  yes "the user's winopen.wav" | head -c 3000 >"$E2E_CARD/${user_files[2]}"
  snapshot before
  # What the card has free, counted by fsck.vfat (fusefat reports no size), less what a default
  # setup writes before the middle of the fourth ROM image.
  fat_unmount
  free=$(($(fsck.vfat -n "$E2E_IMAGE" | sed -n 's|.* \([0-9]*\)/\([0-9]*\) clusters$|\2 - \1|p')))
  fat_mount || { fail "the FAT32 card mounted again"; return; }
  expect sizes before --untick OpenGlobalINIChk
  need=$(($(find "$E2E_WORK/sizes/card/Skylarch" -type f -exec stat -c %s {} + | in_clusters) -
    $(clusters "$E2E_WORK/before.card" "${user_files[@]}") + $(clusters "$E2E_WORK/sizes/card" \
    _BOOT_MP.nds Skylarch_SCCF_SuperCard_CF.nds Skylarch_SCSD_SuperCard_SD.nds) +
    $(clusters "$E2E_WORK/sizes/card" $full_at) / 2))
  head -c $(((free - need) * 512)) /dev/zero >"$E2E_CARD/$video" ||
    { fail "a video of $(((free - need) * 512)) bytes on the card"; return; }
  echo "  the video takes $(stat -c %s "$E2E_CARD/$video") bytes, leaving $need clusters"
  drive card_refilled || return
  fat_check "after the failed start"
  drive card_refilled_again || return
  expect again before-again --untick OpenGlobalINIChk
  check "Setup.log holds the second start's lines (a start deletes the old log)" log_is again
  check "the card holds the complete setup" card_is again
  check "each of the user's files is on the card, in the file or in its .bak" user_files_kept
  check "Setup.ini written by the second start" settings_are again
}

user_files_kept() {
  local f bad=0
  for f in "${user_files[@]}"; do
    cmp -s "$E2E_WORK/before.card/$f" "$E2E_CARD/$f" && continue
    cmp -s "$E2E_WORK/before.card/$f" "$E2E_CARD/$f.bak" && continue
    echo "  the user's $f is neither in $f nor in $f.bak"
    bad=1
  done
  return $bad
}

# Called by the driver while the error about the full card has been answered. The video goes
# first, so that the checks need not read it back through fusefat (slow for so large a file).
hook_card_full() {
  rm "$E2E_CARD/$video"
  expect first before --untick OpenGlobalINIChk --fails-at $full_at
  check "Setup.log ends with the ROM image that found the card full" log_is first
  check "the files before it are complete, the user's files in their .bak, nothing else" \
    card_is first
  check "no settings yet" test ! -e "$E2E_APPDIR/Setup.ini"
  snapshot before-again
}

# ---- runs as users live ----

# set_dpi <dpi>: the pixel density of the screen, in both places Wine reads it from; a fresh
# Wine session takes it up. Set by the 64-bit reg, which runs natively on every machine here:
# under qemu a 32-bit one takes minutes. Neither key is redirected for 32-bit programs.
set_dpi() {
  local key
  for key in 'HKCU\Control Panel\Desktop' \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    "$E2E_WINE64" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
      { echo "  cannot set LogPixels under $key"; return 1; }
  done
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}

dpi_is() {
  local got
  got=$("$E2E_WINE64" reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null | tr -d '\r' |
    awk '$1 == "LogPixels" { print $3 }')
  [ "$((got))" = "$1" ] || { echo "  LogPixels is $got"; return 1; }
}

# dpi_run <dpi> <steps>: a default setup at that density; the prefix goes back to 96 DPI after,
# since the other scenarios share it.
dpi_run() {
  prepare fat || return
  snapshot before
  set_dpi "$1" || { fail "LogPixels $1"; return; }
  drive "$2"
  set_dpi 96
  check "the prefix is back at 96 DPI" dpi_is 96
  expect run before --untick OpenGlobalINIChk
  check "Setup.log holds the run's lines" log_is run
  check "the card is complete" card_is run
  check "Setup.ini holds the default choices" settings_are run
}

scenario_dpi_150() { dpi_run 144 dpi_150; }
scenario_dpi_200() { dpi_run 192 dpi_200; }

# The Unix locale that makes Wine's ANSI code page 932, built into the work tree when the
# system lacks it (as tests/win32/run.sh does).
japanese_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8' && return 0
  local dir="$E2E_WORK/../locale"
  if [ ! -f "$dir/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$dir"
    localedef -i ja_JP -f UTF-8 "$dir/ja_JP.UTF-8" >/dev/null 2>&1
  fi
  [ -f "$dir/ja_JP.UTF-8/LC_CTYPE" ] || return 1
  LOCPATH=$(cd "$dir" && pwd)
  export LOCPATH
}

# The label in code page 932, as bytes in hex: what the log must carry.
label_sjis_hex() { printf '%s' 'メモリーカード' | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n'; }

japanese_line_ok() { [[ $(drive_line) =~ ^E:\\\ .+\ \[メモリーカード\]$ ]]; }

target_info_hex() {
  grep -a '^TargetInfo=' "$E2E_APPDIR/Setup.log" | tr -d '\r\n' | od -An -tx1 | tr -d ' \n'
}

target_info_is_sjis() {
  local got want
  got=$(target_info_hex)
  want=$(printf 'TargetInfo=%s' "$(drive_line)" | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n')
  echo "  TargetInfo line bytes: $got"
  [ -n "$want" ] && [ "$got" = "$want" ] && [[ $got == *"$(label_sjis_hex)"* ]]
}

scenario_japanese_system() {
  prepare fat || return
  japanese_locale || { fail "no ja_JP.UTF-8 locale (localedef failed)"; return; }
  # A new file: fusefat frees the cluster of a file cut to nothing and leaves the written bytes
  # without one (fsck.vfat: "Contains a free cluster").
  rm "$E2E_CARD/.windows-label"
  printf '%s\n' 'メモリーカード' >"$E2E_CARD/.windows-label"
  snapshot before
  LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 drive japanese_system
  # The next scenario's session starts under its own locale.
  wineserver -k 2>/dev/null
  check "the drive list shows the Japanese label: $(drive_line)" japanese_line_ok
  check "the TargetInfo line is the drive line in code page 932" target_info_is_sjis
  expect run before --untick OpenGlobalINIChk
  E2E_CODEPAGE=CP932 check "Setup.log holds the run's lines, in code page 932" log_is run
  check "the card is complete" card_is run
  check "Setup.ini holds the default choices" settings_are run
}

folder_holds() {
  local got
  got=$(ls -A "$E2E_APPDIR" | LC_ALL=C sort | tr '\n' ' ')
  [ "$got" = "$* " ] || { echo "  program folder holds: $got"; return 1; }
}

scenario_installer_name() {
  prepare fat || return
  mv "$E2E_APPDIR/Setup.exe" "$E2E_APPDIR/Installer.exe"
  snapshot before
  E2E_EXE=Installer.exe drive installer_name || return
  check "Installer.ini and Installer.log beside the program, no Setup.*" \
    folder_holds Installer.exe Installer.ini Installer.log
  expect run before --isjp 0 --untick OpenGlobalINIChk
  E2E_EXE=Installer.exe check "Installer.log holds the run's lines" log_is run
  E2E_EXE=Installer.exe check "Installer.ini holds the choices and isJP=0" settings_are run
  check "the card is complete" card_is run
  printf 'old log\r\n' >"$E2E_APPDIR/Installer.log"
  E2E_EXE=Installer.exe drive installer_name_again || return
  check "the second start read Installer.ini and deleted Installer.log" \
    folder_holds Installer.exe Installer.ini
}

scenario_log_blocked() {
  prepare
  mkdir "$E2E_APPDIR/Setup.log"
  drive log_blocked || return
  check "nothing reached the card" card_empty
  check "the folder Setup.log is still there and empty" test -d "$E2E_APPDIR/Setup.log" -a \
    -z "$(ls -A "$E2E_APPDIR/Setup.log")"
  check "no settings" folder_holds Setup.exe Setup.log
}

# ---- main ----

if [ "${1:-}" = hook ]; then
  "hook_$2"
  [ $failures = 0 ]
  exit
fi

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
export E2E_SCENARIO=$1 E2E_SETUP=$2 E2E_DRIVER=$3 E2E_ARCHIVE=$4 E2E_PACK=$5
export E2E_SHOTS="$6/$1" E2E_RUN="$here/run.sh" E2E_WINE64=/usr/lib/wine/wine64
# Built beside the host tools.
export E2E_ORACLE=${E2E_ORACLE:-$(dirname "$(dirname "$E2E_PACK")")/tests/oracle/setup-oracle}
E2E_WORK="${E2E_WORK_ROOT:-$(dirname "$E2E_SETUP")/e2e}/$1"
export E2E_WORK
# Under CTest a fixture unpacks the archive once.
export E2E_PAYLOAD="${E2E_PAYLOAD:-$E2E_WORK/payload}"

cd "$here/../.." || exit 1
source scripts/wine-env.sh || exit 1

export E2E_CARD="$E2E_WORK/card"
# A card left mounted by a killed run outside a namespace of its own goes first; a failing run
# still unmounts its own.
if fat_mounted; then fusermount -u "$E2E_CARD" || fusermount -uz "$E2E_CARD"; fi
trap fat_unmount EXIT
trap 'exit 130' INT TERM
rm -rf "$E2E_WORK"
mkdir -p "$E2E_WORK"
if [ ! -d "$E2E_PAYLOAD" ]; then
  "$E2E_PACK" extract "$E2E_ARCHIVE" "$E2E_PAYLOAD" >/dev/null || { echo "FAIL cannot unpack the archive"; exit 1; }
fi

"scenario_$E2E_SCENARIO"
if [ -n "$E2E_IMAGE" ]; then
  from=$EPOCHREALTIME
  fat_unmount
  check "fsck.vfat -n finds the card's file system sound at the end" fat_sound
  echo "  FAT32 card unmounted and checked in $(seconds_since "$from") s"
fi
rm -f "$WINEPREFIX/dosdevices/e:"
echo "Screenshots: $E2E_SHOTS"
if [ $failures = 0 ]; then echo "PASS $E2E_SCENARIO"; else echo "FAIL $E2E_SCENARIO: $failures failed"; fi
[ $failures = 0 ]
