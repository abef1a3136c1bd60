#!/usr/bin/env bash
# Runs the archive, route and window-table tests out of the 32-bit (i686) win32_tests.exe under
# Wine's 32-bit loader, so that "setupdata" is read out of the real 32-bit PE and the 32-bit
# program finds what it relies on (its glyphs need the x86 common controls 6), also where the
# kernel runs no 32-bit code (there through qemu, tests/wine/i686.sh). Exits with the test
# program's status.
#
# The prefix (WINEPREFIX, made by tests/wine/prefix.sh) is a 64-bit one made by the 64-bit
# loader, which runs natively; only the test program runs under qemu. In a WINEARCH=win32 prefix
# Wine's 32-bit services run under qemu too, and winedevice and plugplay crash there.
set -u
source "$(dirname "$0")/../wine/layout.sh"

filter='Module.*:CatalogueTest.*:Route.*:WindowTables.*'
test_timeout=480
here=$(cd "$(dirname "$0")" && pwd)

fail() {
  echo "run32.sh: $*" >&2
  exit 1
}

[ $# -eq 1 ] || {
  echo "usage: run32.sh <i686 win32_tests.exe>" >&2
  exit 2
}
[ -f "$1" ] || fail "$1 does not exist; build the win32 preset first"
[ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX is not set (CTest's fixture sets it)"
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
machine=$(od -An -tx2 -j $(($(od -An -tu4 -j60 -N4 "$exe") + 4)) -N2 "$exe" | tr -d ' ')
[ "$machine" = 014c ] || fail "$exe is not a 32-bit x86 program"
[ "${SETUP_I686_ROUTE:-native}" = qemu ] && echo "run32.sh: this kernel runs no 32-bit code; qemu runs Wine's 32-bit loader"

log=$(mktemp)
# Into a file rather than a pipe: a process that outlives the test would hold a pipe open.
WINE=/usr/lib/wine/wine timeout -k 10 $test_timeout "$here/../wine/i686.sh" "$here/run.sh" "$exe" \
  --gtest_filter="$filter" >"$log" 2>&1
status=$?
cat "$log"
ran=$(sed -nE 's/^\[==========\] ([0-9]+) tests? from .* ran.*/\1/p' "$log")
if [ "$status" -eq 124 ]; then
  echo "run32.sh: no result within $test_timeout s" >&2
elif [ "$status" -eq 0 ] && [ "${ran:-0}" -eq 0 ]; then
  echo "run32.sh: the filter $filter selected no test" >&2
  status=1
fi
rm -f "$log"
timeout 30 wineserver -k 2>/dev/null
exit "$status"
