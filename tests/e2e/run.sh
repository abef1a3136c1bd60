#!/usr/bin/env bash
# One end-to-end scenario of Setup.exe under Wine: a fresh program folder, a fresh card folder
# mapped as drive E: (label CARD), the driver playing the user from a steps file, and then the
# card, the log and the settings checked from here against the archive the program embeds.
#
#   run.sh <scenario> <Setup.exe> <driver.exe> <setupdata.bin> <setup-pack> <screenshot root>
#   run.sh hook <name>     the driver calls back in the middle of a run (environment from above)
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
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

# ---- the archive's own files: what every installed byte is compared with ----

# Names of the archive in catalogue order, as stored ("Skylarch\se\cursor.wav").
catalogue() { "$E2E_PACK" list "$E2E_ARCHIVE" | awk '{print $3}'; }

# The configuration files in the order they are installed: four single files, the skins, the
# sounds, each group in catalogue order.
conf_entries() {
  printf '%s\n' 'Skylarch\global.ini' 'Skylarch\font12.glu' 'Skylarch\font12.glf' \
    'Skylarch\savename.txt'
  catalogue | grep -F 'Skylarch\skin\'
  catalogue | grep -F 'Skylarch\se\'
}

# The default ROM rows (1 to 7 and 9): output name, adapter ID, bootstrap entry.
rom_rows() {
  cat <<'EOF'
_BOOT_MP.nds MPCF -
Skylarch_SCCF_SuperCard_CF.nds SCCF BootStrap_SuperCard.bin
Skylarch_SCSD_SuperCard_SD.nds SCSD BootStrap_SuperCard.bin
Skylarch_SCMS_SuperCard_MicroSD.nds SCMS BootStrap_SuperCard.bin
Skylarch_M3CF_M3_CF.nds M3CF BootStrap_M3_quillmar-m3powerloader-20060117.bin
Skylarch_M3SD_M3_SD.nds M3SD BootStrap_M3_quillmar-m3powerloader-20060117.bin
Skylarch_MMCF_MaxMedia_CF.nds MMCF -
Skylarch_EWSD_Ewin2_MicroSD.nds EWSD -
EOF
}

unix_path() { tr '\\' '/' <<<"$1"; }

# A ROM image as it must be: the bootstrap, then the program image with the four bytes after its
# first "Adapter:" replaced by the adapter ID.
expected_rom() {
  local id=$1 boot=$2 nds="$E2E_PAYLOAD/_BOOT_MP.nds" at
  at=$(grep -obUaF 'Adapter:' "$nds" | head -n 1 | cut -d: -f1)
  [ "$boot" != - ] && cat "$E2E_PAYLOAD/$boot"
  head -c $((at + 8)) "$nds"
  printf '%s' "$id"
  tail -c +$((at + 13)) "$nds"
}

# ---- the card ----

# Files of the card relative to its root, sorted, without the volume label file.
card_files() { (cd "$E2E_CARD" && find . -type f ! -name .windows-label | sed 's|^\./||' | LC_ALL=C sort); }

# The log lines one setup writes, given the files on the card before it (one relative Unix path
# a line): a backup line before every file that existed, with backups ticked.
expected_log() {
  local before=$1 entry target
  echo "StartPath=$E2E_START"
  echo 'TargetPath=E:\'
  echo "TargetInfo=$(drive_line)"
  {
    conf_entries
    rom_rows | sed 's/ .*//; s/^/ROM /'
    echo SkylarchMakeIcon.exe
  } | while IFS= read -r entry; do
    if [ "${entry#ROM }" != "$entry" ]; then
      target=${entry#ROM }
      if [ "$target" = _BOOT_MP.nds ]; then
        echo "Create ROM image and copy to \"E:\\$target\" for GBAMP/AdMovie"
      else
        echo "Create ROM image and copy to \"E:\\$target\""
      fi
      continue
    fi
    if grep -qxF "$(unix_path "$entry")" "$before"; then
      echo "Create backup to \"E:\\$entry.bak\""
    fi
    echo "copy \"$entry\" to \"E:\\$entry\""
  done
}

# Compares the log byte for byte with the given lines, each ended by CR LF.
log_is() {
  local want=$1 got="$E2E_APPDIR/Setup.log"
  [ -f "$got" ] || { echo "  no Setup.log"; return 1; }
  sed 's/$/\r/' "$want" >"$want.crlf"
  cmp -s "$want.crlf" "$got" && return 0
  echo "  Setup.log differs from the expected lines:"
  diff <(tr -d '\r' <"$want.crlf") <(tr -d '\r' <"$got") | head -n 20
  return 1
}

same_as_entry() {
  cmp -s "$E2E_PAYLOAD/$(unix_path "$1")" "$E2E_CARD/$(unix_path "${2:-$1}")"
}

# Every file of a complete default setup holds the archive's bytes, and nothing else is there
# besides the given extra files (backups).
card_complete() {
  local extra=${1:-/dev/null} entry bad=0
  while IFS= read -r entry; do
    same_as_entry "$entry" || { echo "  wrong bytes: $entry"; bad=1; }
  done < <(conf_entries; echo SkylarchMakeIcon.exe)
  local name id boot
  while read -r name id boot; do
    cmp -s <(expected_rom "$id" "$boot") "$E2E_CARD/$name" || { echo "  wrong ROM image: $name"; bad=1; }
  done < <(rom_rows)
  if [ ! -d "$E2E_CARD/Skylarch/banner" ] || [ -n "$(ls -A "$E2E_CARD/Skylarch/banner")" ]; then
    echo "  no empty Skylarch/banner"
    bad=1
  fi
  diff <({ conf_entries; echo SkylarchMakeIcon.exe; rom_rows | cut -d' ' -f1; cat "$extra"; } |
    tr '\\' '/' | LC_ALL=C sort) <(card_files) >"$E2E_WORK/tree.diff" ||
    { echo "  unexpected card contents:"; head -n 20 "$E2E_WORK/tree.diff"; bad=1; }
  return $bad
}

card_empty() { [ -z "$(card_files)" ] && [ "$(find "$E2E_CARD" -mindepth 1 ! -name .windows-label | wc -l)" = 0 ]; }

# ---- the settings file ----

# Key=value lines of one section, sorted, sections and keys matched ignoring case as the
# private-profile functions do.
ini_section() {
  tr -d '\r' <"$E2E_APPDIR/Setup.ini" | awk -v want="$1" '
    /^\[.*\]$/ { section = tolower(substr($0, 2, length($0) - 2)); next }
    section == tolower(want) && /=/ { print }' | LC_ALL=C sort
}

# settings_are <isJP or empty for none> <OpenGlobalINI> [configuration key unticked]: the
# default choices otherwise.
settings_are() {
  local isjp=$1 open=$2 off=${3:-} bad=0
  [ -f "$E2E_APPDIR/Setup.ini" ] || { echo "  no Setup.ini"; return 1; }
  diff <(ini_section system) <(printf '%s\n' 'ExistBackup=1' "OpenGlobalINI=$open" 'TargetDrive=E:\' \
    ${isjp:+"isJP=$isjp"} | LC_ALL=C sort) || bad=1
  diff <(ini_section configuration) <(printf '%s=1\n' SE Skin font global.ini savename.txt |
    sed "s/^$off=1\$/$off=0/") || bad=1
  diff <(ini_section rom) <(printf '%s\n' EWSD=1 EZSD=0 M3CF=1 M3SD=1 MMCF=1 MPCF=1 NMMC=0 \
    SCCF=1 SCMS=1 SCSD=1) || bad=1
  return $bad
}

nothing_written() {
  [ "$(ls -A "$E2E_APPDIR")" = Setup.exe ] || { echo "  program folder holds: $(ls -A "$E2E_APPDIR")"; return 1; }
}

# ---- running the program ----

prepare() {
  E2E_APPDIR="$WINEPREFIX/drive_c/e2e/$E2E_SCENARIO"
  E2E_START="C:\\e2e\\$E2E_SCENARIO\\"
  E2E_CARD="$E2E_WORK/card"
  rm -rf "$E2E_APPDIR" "$E2E_CARD" "$E2E_SHOTS"
  mkdir -p "$E2E_APPDIR" "$E2E_CARD" "$E2E_SHOTS"
  cp "$E2E_SETUP" "$E2E_APPDIR/Setup.exe"
  echo CARD >"$E2E_CARD/.windows-label"
  # A running Wine session may keep the drive letters it saw at its start; begin a fresh one.
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  ln -sfn "$E2E_CARD" "$WINEPREFIX/dosdevices/e:"
  export E2E_APPDIR E2E_START E2E_CARD
}

# drive <steps file>: the driver plays the steps. Wine's own error channel stays on, so that a
# session that fails to come up says why. E2E_RUNNER, when set, starts the driver where 32-bit
# programs run (tests/wine/i686.sh). The output goes to a file, not a pipe: a program the driver
# started (Notepad) outlives it and would hold a pipe open.
drive() {
  local steps=$1 rc from
  echo "--- driver: $steps" | tee -a "$E2E_WORK/driver.log"
  from=$(stat -c %s "$E2E_WORK/driver.log")
  WINEDEBUG=fixme-all timeout -k 10 240 ${E2E_RUNNER:+"$E2E_RUNNER"} "$WINE" "$E2E_DRIVER" \
    --app "C:\\e2e\\$E2E_SCENARIO\\Setup.exe" --script "Z:$here/steps/$steps.steps" \
    --shots "$E2E_SHOTS" >>"$E2E_WORK/driver.log" 2>&1 </dev/null
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

snapshot() { card_files >"$E2E_WORK/$1"; }

# ---- scenarios ----

scenario_first_run() {
  prepare
  snapshot before
  drive first_run || return
  check "the drive line has the form E:\\ <type> [CARD]: $(drive_line)" drive_line_ok
  expected_log "$E2E_WORK/before" >"$E2E_WORK/want.log"
  check "Setup.log holds the run's lines in order, CR LF" log_is "$E2E_WORK/want.log"
  check "the card holds the 35 files, the 8 ROM images, the tool and an empty banner folder" card_complete
  check "Setup.ini holds the choices and isJP=0" settings_are 0 0
}

scenario_second_run() {
  prepare
  drive first_run || return
  # A user edit between the runs: its backup must hold the edited bytes, not the archive's.
  printf 'edited by the user\r\n' >>"$E2E_CARD/Skylarch/global.ini"
  cp "$E2E_CARD/Skylarch/global.ini" "$E2E_WORK/global.ini.edited"
  snapshot before
  while IFS= read -r f; do cp "$E2E_CARD/$f" "$E2E_WORK/first-$(tr / _ <<<"$f")"; done <"$E2E_WORK/before"
  drive second_run || return
  expected_log "$E2E_WORK/before" >"$E2E_WORK/want.log"
  check "every copy line is preceded by its backup line; ROM images get none" log_is "$E2E_WORK/want.log"
  local f bad=0
  : >"$E2E_WORK/baks"
  while IFS= read -r f; do
    case $f in *.nds | *.bin) continue ;; esac
    echo "$f.bak" >>"$E2E_WORK/baks"
    cmp -s "$E2E_WORK/first-$(tr / _ <<<"$f")" "$E2E_CARD/$f.bak" || { echo "  $f.bak"; bad=1; }
  done <"$E2E_WORK/before"
  check "the 36 .bak files hold the bytes the card had before the run" test $bad = 0 -a \
    "$(wc -l <"$E2E_WORK/baks")" = 36
  check "the edited global.ini went to global.ini.bak" cmp -s "$E2E_WORK/global.ini.edited" \
    "$E2E_CARD/Skylarch/global.ini.bak"
  check "the card is complete again, with the backups beside" card_complete "$E2E_WORK/baks"
  check "Setup.ini still holds the same choices" settings_are 0 0
}

scenario_japanese() {
  prepare
  snapshot before
  drive japanese || return
  expected_log "$E2E_WORK/before" >"$E2E_WORK/want.log"
  check "Setup.log is the same in Japanese" log_is "$E2E_WORK/want.log"
  check "the card is complete" card_complete
  check "Setup.ini holds isJP=1" settings_are 1 0
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
  prepare
  mkdir -p "$E2E_CARD/Skylarch/skin/winbody.bmp" "$E2E_CARD/Skylarch/se"
  printf 'old global\r\n' >"$E2E_CARD/Skylarch/global.ini"
  printf 'old cursor' >"$E2E_CARD/Skylarch/se/cursor.wav"
  snapshot before
  drive card_failure || return
  expected_log "$E2E_WORK/before" | sed '/winbody.bmp/q' >"$E2E_WORK/want.log"
  # What the first attempt installed is not backed up again: its .bak keeps the user's bytes.
  conf_entries | sed '/winbody.bmp/,$d' | tr '\\' / >"$E2E_WORK/installed"
  grep -vxF -f "$E2E_WORK/installed" "$E2E_WORK/before-again" >"$E2E_WORK/before-retry"
  expected_log "$E2E_WORK/before-retry" >>"$E2E_WORK/want.log"
  check "Setup.log holds the failed attempt, then the complete second one" log_is "$E2E_WORK/want.log"
  printf '%s\n' Skylarch/global.ini.bak Skylarch/se/cursor.wav.bak >"$E2E_WORK/baks"
  check "the second attempt completed the card" card_complete "$E2E_WORK/baks"
  check "global.ini.bak still holds the user's global.ini" cmp -s <(printf 'old global\r\n') \
    "$E2E_CARD/Skylarch/global.ini.bak"
  check "cursor.wav.bak holds the old bytes" cmp -s <(printf 'old cursor') \
    "$E2E_CARD/Skylarch/se/cursor.wav.bak"
  check "Setup.ini written at the end" settings_are "" 0
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

# DLLs that Windows does not protect as KnownDLLs, of the kinds a program's start, its common
# controls and the save dialog reach for; planted beside the program, as in a Downloads folder.
# Left out: version and imm32, which Wine's own start-up loads from the program's folder, and
# msimg32, which Wine's uxtheme delay-loads from there: Wine resolves delay-loads with the
# standard search order, ignoring SetDefaultDllDirectories (Windows honours it).
planted=(uxtheme dwmapi comctl32 cryptbase winmm propsys oleacc userenv mpr netapi32 wtsapi32
  dbghelp sspicli windowscodecs)

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
  bin=$(dirname "$E2E_DRIVER")
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
  WINEDLLOVERRIDES=$overrides "$WINE" "C:\\e2e\\planted_dlls\\plant_probe.exe" "${planted[@]/%/.dll}"
  check "each planted DLL leaves its marker when a program does load it" markers all
}

# Called by the driver while the error has been answered and the main window waits.
hook_failure_midway() {
  local entry seen=0 bad=0
  while IFS= read -r entry; do
    case $entry in
      'Skylarch\skin\winbody.bmp') seen=1 ;;
      *) if [ $seen = 0 ]; then
        same_as_entry "$entry" || { echo "  not installed: $entry"; bad=1; }
      elif [ -e "$E2E_CARD/$(unix_path "$entry")" ] && [ "$entry" != 'Skylarch\se\cursor.wav' ]; then
        echo "  written after the failure: $entry"
        bad=1
      fi ;;
    esac
  done < <(conf_entries)
  check "files before the failing one are complete, none after it is written" test $bad = 0
  check "global.ini.bak holds the old global.ini" cmp -s <(printf 'old global\r\n') \
    "$E2E_CARD/Skylarch/global.ini.bak"
  check "the old cursor.wav, not reached, is intact" cmp -s <(printf 'old cursor') \
    "$E2E_CARD/Skylarch/se/cursor.wav"
  check "no ROM image, no tool, no settings yet" test ! -e "$E2E_CARD/_BOOT_MP.nds" -a \
    ! -e "$E2E_CARD/SkylarchMakeIcon.exe" -a ! -e "$E2E_APPDIR/Setup.ini"
  expected_log "$E2E_WORK/before" | sed '/winbody.bmp/q' >"$E2E_WORK/want-midway.log"
  check "Setup.log ends with the failing step" log_is "$E2E_WORK/want-midway.log"
  rmdir "$E2E_CARD/Skylarch/skin/winbody.bmp"
  snapshot before-again
}

# A real 1 MiB card that fills up part way through a setup with backups unticked. It holds an
# old version of everything the setup writes; whatever the setup reached, each file must be
# either that old version or the new one, never cut short, and no temporary file may stay.
scenario_full_card() {
  prepare
  mount -t tmpfs -o size=1m tmpfs "$E2E_CARD" ||
    { fail "cannot mount a 1 MiB tmpfs card (needs root)"; return; }
  echo CARD >"$E2E_CARD/.windows-label"
  local entry name
  { conf_entries; echo SkylarchMakeIcon.exe; rom_rows | cut -d' ' -f1; } | while IFS= read -r entry; do
    name=$(unix_path "$entry")
    mkdir -p "$(dirname "$E2E_CARD/$name")"
    printf 'old %s\r\n' "$entry" >"$E2E_CARD/$name"
  done
  snapshot before
  drive full_card
  check "every old file is old or new, never cut" old_or_new
  check "the card holds nothing besides them" diff -q "$E2E_WORK/before" <(card_files)
  umount "$E2E_CARD"
}

# The file's new bytes: an archive entry, or a ROM image as the builder makes it.
new_bytes() {
  local name id boot
  while read -r name id boot; do
    [ "$name" = "$1" ] && { expected_rom "$id" "$boot"; return; }
  done < <(rom_rows)
  cat "$E2E_PAYLOAD/$1"
}

old_or_new() {
  local f bad=0 new=0
  while IFS= read -r f; do
    if cmp -s <(printf 'old %s\r\n' "$(tr / '\\' <<<"$f")") "$E2E_CARD/$f"; then continue; fi
    if cmp -s <(new_bytes "$f") "$E2E_CARD/$f"; then new=$((new + 1)); continue; fi
    echo "  neither old nor new: $f ($(stat -c %s "$E2E_CARD/$f") bytes)"
    bad=1
  done <"$E2E_WORK/before"
  echo "  $new of $(wc -l <"$E2E_WORK/before") files replaced before the card was full"
  [ $bad = 0 ] && [ $new -gt 0 ]
}

own_ini_kept() {
  [ ! -e "$E2E_CARD/Skylarch/global.ini.bak" ] && cmp -s "$E2E_WORK/own.ini" "$E2E_CARD/Skylarch/global.ini"
}

scenario_open_global_ini() {
  prepare
  mkdir -p "$E2E_CARD/Skylarch"
  printf '; the card'"'"'s own global.ini\r\n[System]\r\nLanguage=1\r\n' >"$E2E_CARD/Skylarch/global.ini"
  cp "$E2E_CARD/Skylarch/global.ini" "$E2E_WORK/own.ini"
  drive open_global_ini || return
  check "the card's own global.ini is neither replaced nor backed up" own_ini_kept
  check "Setup.ini holds OpenGlobalINI=1 and global.ini=0" settings_are "" 1 global.ini
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
export E2E_SCENARIO=$1 E2E_SETUP=$2 E2E_DRIVER=$3 E2E_ARCHIVE=$4 E2E_PACK=$5
export E2E_SHOTS="$6/$1" E2E_RUN="$here/run.sh"
E2E_WORK="${E2E_WORK_ROOT:-$(dirname "$E2E_SETUP")/e2e}/$1"
export E2E_WORK
# Under CTest a fixture unpacks the archive once.
export E2E_PAYLOAD="${E2E_PAYLOAD:-$E2E_WORK/payload}"

cd "$here/../.." || exit 1
source scripts/wine-env.sh || exit 1

rm -rf "$E2E_WORK"
mkdir -p "$E2E_WORK"
if [ ! -d "$E2E_PAYLOAD" ]; then
  "$E2E_PACK" extract "$E2E_ARCHIVE" "$E2E_PAYLOAD" >/dev/null || { echo "FAIL cannot unpack the archive"; exit 1; }
fi

"scenario_$E2E_SCENARIO"
rm -f "$WINEPREFIX/dosdevices/e:"
echo "Screenshots: $E2E_SHOTS"
if [ $failures = 0 ]; then echo "PASS $E2E_SCENARIO"; else echo "FAIL $E2E_SCENARIO: $failures failed"; fi
[ $failures = 0 ]
