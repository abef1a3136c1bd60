#!/usr/bin/env bash
# Runs a command in which 32-bit x86 programs start, also where the kernel runs no 32-bit code
# (SETUP_I686_ROUTE=qemu, as the build's configuration found). There qemu's i386 user emulator
# becomes the handler of 32-bit ELF programs in the binfmt_misc instance of a private user
# namespace (kernel 6.7 and later), with private mount and PID namespaces, so the machine's
# handlers stay as they are and no process outlives the command. Exits with its status.
#
#   i686.sh <command...>
set -u
qemu=/usr/bin/qemu-i386-static

fail() {
  echo "i686.sh: $*" >&2
  exit 1
}

[ $# -ge 1 ] || fail "usage: i686.sh <command...>"
[ "${SETUP_I686_ROUTE:-native}" = qemu ] || exec "$@"

if [ "${SETUP_I686_INSIDE:-}" = 1 ]; then
  unset SETUP_I686_INSIDE
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
  # No crash debugger: under qemu it hangs rather than report.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=};winedbg.exe=d"
  exec "$@"
fi

[ -x "$qemu" ] || fail "this kernel runs no 32-bit code and $qemu is missing (install qemu-user-static)"

# qemu shares one GDT among the threads of a 32-bit process and gives a SIGSEGV no trap number;
# i686-shim.c gives each thread segment registers of its own and puts the number back. Built
# once per prefix, for i386 and (empty) for x86-64: ld.so picks each process's kind by $LIB.
here=$(cd "$(dirname "$0")" && pwd)
shim=${WINEPREFIX:-$HOME/.wine}.i686
for lib in i386-linux-gnu:-m32 x86_64-linux-gnu:-m64; do
  out=$shim/lib/${lib%%:*}/setup-i686-shim.so
  [ "$out" -nt "$here/i686-shim.c" ] && continue
  mkdir -p "${out%/*}" || fail "cannot make ${out%/*}"
  gcc "${lib#*:}" -O2 -Wall -Wextra -fPIC -shared -nostdlib -ffreestanding -fno-stack-protector \
    -o "$out.$$" "$here/i686-shim.c" && mv -f "$out.$$" "$out" ||
    fail "cannot build $out (gcc with -m32 is needed)"
done
export LD_PRELOAD="$shim/\$LIB/setup-i686-shim.so${LD_PRELOAD:+ $LD_PRELOAD}"

# --kill-child takes the whole PID namespace down with unshare, also when a timeout kills it.
SETUP_I686_INSIDE=1 exec unshare --user --map-root-user --mount --pid --fork --kill-child \
  --mount-proc "$here/i686.sh" "$@"
