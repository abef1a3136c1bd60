#!/usr/bin/env bash
# Fails on an include that runs against the layers: the platform includes nothing of the core or
# the windows; the core (archive, language, target, install) nothing of the windows, of the
# platform's implementations or of the Windows headers. The windows may include everything.
#   layers.sh <src folder>
set -u
src=${1:?usage: layers.sh <src folder>}
bad=0

# offenders <folder> <regex of forbidden include targets>
offenders() {
  grep -rnE --include='*.h' --include='*.cpp' "^\s*#\s*include\s*[<\"]($2)" "$src/$1" 2>/dev/null
}

report() {
  local what=$1 found=$2
  [ -z "$found" ] && return
  echo "$what:"
  sed "s|^$src/|  src/|" <<<"$found"
  bad=1
}

report "the platform includes the core or the windows" \
  "$(offenders platform 'archive/|language/|target/|install/|windows/')"
for core in archive language target install; do
  report "the core ($core) includes the windows or a platform implementation" \
    "$(offenders "$core" 'windows/|platform/win32/|platform/posix/|(windows|winbase|winuser|commctrl|commdlg|shlobj)\.h')"
done

[ $bad = 0 ] && echo "the includes follow the layers"
exit $bad
