#!/usr/bin/env bash
# Runs the archive tests out of the 32-bit (i686) win32_tests.exe under Wine's 32-bit loader, so
# that "setupdata" is read out of the real 32-bit PE, also where the kernel runs no 32-bit code.
# There qemu's i386 user emulator runs the loader: it becomes the handler of 32-bit ELF programs
# in the binfmt_misc instance of a private user namespace (kernel 6.7 and later), with private
# mount and PID namespaces, so the machine's handlers stay as they are and no process outlives
# the run. Exits with the test program's status.
#
# The prefix is a 64-bit one made by the 64-bit loader, which runs natively; only the test
# program runs under qemu. In a WINEARCH=win32 prefix Wine's 32-bit services run under qemu too,
# and winedevice and plugplay crash there.
set -u

filter='Module.*:CatalogueTest.*'
loader32=/usr/lib/wine/wine
loader64=/usr/lib/wine/wine64
builtins32=/usr/lib/i386-linux-gnu/wine/i386-windows
qemu=/usr/bin/qemu-i386-static
prefix_timeout=300
test_timeout=480

fail() {
  echo "run32.sh: $*" >&2
  exit 1
}

# Wine's builtin DLLs stand in for the 32-bit system files that only a 32-bit wineboot would
# install into syswow64.
make_prefix() {
  echo "run32.sh: creating the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  WINEARCH=win64 timeout -k 10 $prefix_timeout "$loader64" wineboot -i >/dev/null 2>&1
  timeout -k 10 60 wineserver -w
  local wow=$WINEPREFIX/drive_c/windows/syswow64
  [ -d "$wow" ] || fail "wineboot did not create $WINEPREFIX"
  if [ ! -e "$wow/kernel32.dll" ]; then
    [ -d "$builtins32" ] || fail "no 32-bit Wine DLLs in $builtins32 (install wine32:i386)"
    cp -sn "$builtins32"/* "$wow"/ || fail "cannot link the 32-bit DLLs into $wow"
  fi
  touch "$WINEPREFIX/.run32-ready"
}

run_tests() {
  WINEPREFIX=$(dirname "$exe")/wineprefix-wow64
  export WINEPREFIX
  export WINEDEBUG=${WINEDEBUG:--all}
  # No crash debugger: under qemu it hangs rather than report.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=};winedbg.exe=d"
  # A prefix left half-made by an interrupted run is made anew.
  [ -f "$WINEPREFIX/.run32-ready" ] || make_prefix
  trap 'timeout 30 wineserver -k 2>/dev/null' EXIT

  local log status ran
  log=$(mktemp)
  # Into a file rather than a pipe: a process that outlives the test would hold a pipe open.
  WINE=$loader32 timeout -k 10 $test_timeout "$(dirname "$0")/run.sh" "$exe" \
    --gtest_filter="$filter" >"$log" 2>&1
  status=$?
  cat "$log"
  ran=$(sed -nE 's/^\[==========\] ([0-9]+) tests? from .* ran.*/\1/p' "$log")
  if [ "$status" -eq 124 ]; then
    echo "run32.sh: no result within $test_timeout s" >&2
  elif [ "$status" -gt 128 ] && [ -n "${QEMU_RESERVED_VA:-}" ] && grep -q ': Failure' "$log"; then
    # GoogleTest reports each failure through OutputDebugString too, whose exception dispatch
    # reloads %fs; qemu keeps one GDT for all threads, so the thread may then see another
    # thread's TEB.
    echo "run32.sh: the program crashed after the failure above, as it does under qemu" >&2
  elif [ "$status" -eq 0 ] && [ "${ran:-0}" -eq 0 ]; then
    echo "run32.sh: the filter $filter selected no test" >&2
    status=1
  fi
  rm -f "$log"
  return "$status"
}

if [ "${SETUP_RUN32_INSIDE:-}" = 1 ]; then
  exe=$1
  # The same match as the system's i386 handlers: 32-bit x86 ELF executables and shared objects.
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
    fail "cannot mount binfmt_misc in a user namespace (it needs kernel 6.7 or later)"
  # F opens qemu now, so it runs whatever mount namespace the 32-bit program sees.
  printf '%s' ":setup-i386:M::$magic:$mask:$qemu:F" >/proc/sys/fs/binfmt_misc/register ||
    fail "cannot register $qemu for 32-bit programs"
  # Wine needs its shared user data at 0x7ffe0000, which qemu maps only in a reserved guest
  # space. qemu 7.2 takes Wine's MAP_FIXED_NOREPLACE reservations for hints and searches the
  # guest space page by page for each; ending that space where Wine's 32-bit layout ends keeps
  # the searches short: a process starts in seconds rather than in 60 to 100.
  export QEMU_RESERVED_VA=0x82000000
  run_tests
  exit
fi

[ $# -eq 1 ] || {
  echo "usage: run32.sh <i686 win32_tests.exe>" >&2
  exit 2
}
[ -f "$1" ] || fail "$1 does not exist; build the win32 preset first"
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
machine=$(od -An -tx2 -j $(($(od -An -tu4 -j60 -N4 "$exe") + 4)) -N2 "$exe" | tr -d ' ')
[ "$machine" = 014c ] || fail "$exe is not a 32-bit x86 program"
for loader in "$loader32" "$loader64"; do
  [ -x "$loader" ] || fail "$loader is missing (install wine32:i386 and wine64)"
done

if "$loader32" --version >/dev/null 2>&1; then
  run_tests
  exit
fi
[ -x "$qemu" ] || fail "this kernel runs no 32-bit code and $qemu is missing (install qemu-user-static)"
echo "run32.sh: this kernel runs no 32-bit code; qemu runs Wine's 32-bit loader"
# --kill-child takes the whole PID namespace down with unshare, also when a timeout kills it.
SETUP_RUN32_INSIDE=1 exec unshare --user --map-root-user --mount --pid --fork --kill-child \
  --mount-proc "$(cd "$(dirname "$0")" && pwd)/run32.sh" "$exe"
