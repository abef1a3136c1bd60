#!/usr/bin/env bash
# What makes two builds of one commit byte-identical, checked on one build: the program's PE time
# stamp is the one the build was asked for, and no folder of the build machine is in its bytes.
#
#   reproducible.sh <program.exe> <time stamp> <folder>...
set -u
exe=$1 want=$2
shift 2
bad=0
u32() { od -An -tu4 -j"$1" -N4 "$exe" | tr -d ' '; }
pe=$(u32 60)
[ "$(od -An -c -j"$pe" -N2 "$exe" | tr -d ' ')" = PE ] || { echo "$exe: no PE header"; exit 1; }
# The COFF header follows the signature: machine, section count, then the time stamp.
stamp=$(u32 $((pe + 8)))
[ "$stamp" = "$want" ] || { echo "time stamp $stamp, expected $want"; bad=1; }
# Without its zero bytes, UTF-16 text reads as the ASCII it holds; a folder may appear with
# either kind of slash.
for dir in "$@"; do
  [ -n "$dir" ] || continue
  for form in "$dir" "${dir//\//\\}"; do
    tr -d '\0' <"$exe" | LC_ALL=C grep -aqF -- "$form" && { echo "$exe holds the folder $form"; bad=1; }
  done
done
[ $bad = 0 ] && echo "time stamp $stamp; none of the folders $* in $exe"
exit $bad
