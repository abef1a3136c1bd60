#!/usr/bin/env bash
# The X display of one Wine prefix's tests: an Xvfb of its own, its number in <state>/display.
# Each prefix has one, so that no window of one test lies over, or takes the focus from, a
# window of a test in another prefix; a DISPLAY the user has set is not used.
#
#   display.sh start <state>    start it; <state>/tests.log begins anew with the display's line
#   display.sh stop <state>     stop the Xvfb started here, then check the records
#   display.sh check <state>    check the records: each test of this prefix ran on this
#                               prefix's Xvfb, and no test of another prefix (the sibling
#                               state folders) was on the same display at the same moment
#
# tests.log holds "up <time> <display> <Xvfb pid>", per test (tests/wine/on-display.sh)
# "begin|end <time> <test> <display> <pid the display's lock names>", and "down <time>".
set -u
state=$2

check() {
  [ -f "$state/tests.log" ] || return 0
  local logs=("$state/tests.log") live="" other
  shopt -s nullglob
  for other in "$state"/../*/tests.log; do
    [ "$other" -ef "$state/tests.log" ] || logs+=("$other")
  done
  for other in "${logs[@]}"; do
    kill -0 "$(awk '$1 == "up" { print $4 }' "$other")" 2>/dev/null && live+=" $other"
  done
  # A test with no end line ran until its display went down; while that display is up, until
  # now; and when its Xvfb is gone without a down line (a run cut short), until the log's
  # last line.
  awk -v now="$(date +%s.%N)" -v live="$live " '
    FNR == 1 { file++; name[file] = FILENAME }
    { last[file] = $2 }
    $1 == "up" { display[file] = $3; pid[file] = $4 }
    $1 == "down" { down[file] = $2 }
    $1 == "begin" || $1 == "end" {
      if (file == 1 && ($4 != display[1] || $5 != pid[1])) {
        printf "display.sh: %s %s on %s (its lock names %s), not on this prefix'\''s %s (Xvfb %s)\n",
          $3, $1 == "begin" ? "began" : "ended", $4, $5, display[1], pid[1]
        bad = 1
      }
    }
    $1 == "begin" { n++; f[n] = file; test[n] = $3; on[n] = $4; from[n] = $2; open[file, $3] = n }
    $1 == "end" && open[file, $3] { to[open[file, $3]] = $2 }
    END {
      for (i = 1; i <= n; i++)
        if (to[i] == "")
          to[i] = down[f[i]] != "" ? down[f[i]] : index(live, " " name[f[i]] " ") ? now : last[f[i]]
      for (i = 1; i <= n; i++)
        for (j = 1; j <= n; j++)
          if (f[i] == 1 && f[j] != 1 && on[i] == on[j] && from[i] < to[j] && from[j] < to[i]) {
            printf "display.sh: %s and %s, of another prefix, were on %s at once\n", test[i], test[j], on[i]
            bad = 1
          }
      exit bad
    }' "${logs[@]}"
}

mkdir -p "$state"
case $1 in
  start)
    for n in $(seq 90 140); do
      [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
      # setsid and no inherited output: CTest waits for every holder of the test's pipes.
      setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      echo $! >"$state/xvfb.pid"
      # The display is up and ours once the socket is there and the lock file names our Xvfb:
      # another run that picked the same number at the same time may own it instead, and
      # would take it down under our tests when it ends. Xvfb's readiness notices do not
      # serve: -displayfd leaves no lock file, and a shell cannot wait for SIGUSR1 without a
      # race, so this polls.
      for _ in $(seq 300); do
        [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null)" = "$(cat "$state/xvfb.pid")" ] && {
          echo ":$n" >"$state/display"
          echo "up $(date +%s.%N) :$n $(cat "$state/xvfb.pid")" >"$state/tests.log"
          echo "display.sh: Xvfb on :$n"
          exit 0
        }
        kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null || break
        sleep 0.1
      done
      kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    done
    echo "display.sh: cannot start Xvfb" >&2
    exit 1
    ;;
  stop)
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    [ -f "$state/display" ] && echo "down $(date +%s.%N)" >>"$state/tests.log"
    rm -f "$state/xvfb.pid" "$state/display"
    check
    exit
    ;;
  check)
    check
    exit
    ;;
esac
echo "usage: display.sh start|stop|check <state>" >&2
exit 2
