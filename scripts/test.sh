#!/usr/bin/env bash
# Builds everything and runs every test: the native suites, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the fuzz targets, the tests of platform/win32 under Wine and the
# end-to-end runs of Setup.exe under Wine with Xvfb. Ends with a table of the phases and
# "N passed, N failed".
#
# A Wine test mostly waits (on Wine's start, on windows, on the card's file system), so the Wine
# tests start as soon as their trees are built and the native trees are built and tested while
# they run. Each phase writes its own log; failures are printed after the run, phase by phase.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
bash scripts/deps.sh || exit 1

mkdir -p build
phases=build/test-phases
rm -f "$phases" build/*-tests.log build/build-*.log

# phase <name> <log> <command...>: runs the command with its output in the log and records the
# phase's wall time. A build phase has no test count; a test phase is a ctest run.
phase() {
  local name=$1 log=$2 begin status
  shift 2
  begin=$(date +%s.%N)
  "$@" >"$log" 2>&1
  status=$?
  echo "$name $log $status $begin $(date +%s.%N)" >>"$phases"
  return $status
}
configure_build() {
  local preset=$1
  shift
  cmake --preset "$preset" "${configure_args[@]}" && cmake --build --preset "$preset" "$@"
}
build() {
  local name=$1
  shift
  phase "build-$name" "build/build-$name.log" configure_build "$@"
}
# tests <name> <preset> [ctest options]
tests() {
  phase "$1" "build/$1-tests.log" ctest --preset "$2" "${@:3}"
}

# The Wine trees first: the host tools they pack the payload with and the oracle the end-to-end
# runs check against, then Setup.exe and the Win32 tests.
configure_args=()
wine_ready=0
if build host-tools host --target setup-pack standin-payload setup-oracle &&
  build win32 win32; then
  # The product is the 32-bit build. Where the kernel runs no 32-bit code (the win32
  # configuration found which) the Wine tests run the same sources built for x86-64, and the
  # real 32-bit program through qemu.
  wine_preset=win32
  if [ "$(cat build/win32/i686-route)" = qemu ]; then
    wine_preset=win64
    echo "This kernel runs no 32-bit code: the Wine tests run the x86-64 build and, through qemu, the i686 one."
    # The x86-64 tree takes the route the 32-bit tree found rather than probing again.
    configure_args=(-DSETUP_I686_RUNNER=qemu)
    build win64 win64 && wine_ready=1
    configure_args=()
  else
    wine_ready=1
  fi
fi
if [ $wine_ready = 1 ]; then
  # Tests of one prefix hold its lock; the three prefixes, each on its own display, run side by
  # side, so three jobs; a fourth would find no prefix.
  echo "Wine tests ($wine_preset) started; the native trees build and run beside them."
  tests wine "$wine_preset" -j3 &
  wine_pid=$!
fi

# The native suites, then the same under the sanitizers, then fuzzing: each tree's tests start
# once it is built, while the next tree compiles only after them (two cores).
build host host && tests host host
build host-asan host-asan && tests host-asan host-asan
build fuzz fuzz && tests fuzz fuzz

if [ $wine_ready = 1 ]; then
  echo "Waiting for the Wine tests."
  wait "$wine_pid"
fi

# What failed, phase by phase: a build's errors, a test's own output (CTest prints it after the
# test's result line) and CTest's list.
passed=0
failed=0
table=()
for name in build-host-tools build-win32 build-win64 wine build-host host build-host-asan \
  host-asan build-fuzz fuzz; do
  record=$(awk -v n="$name" '$1 == n' "$phases")
  if [ -z "$record" ]; then
    # A build not reached after an earlier one failed; a test phase whose tree did not build.
    case $name in
      build-*) ;;
      *)
        table+=("$(printf '%-16s %8s  not run' "$name" -)")
        failed=$((failed + 1))
        ;;
    esac
    continue
  fi
  read -r _ log status begin end <<<"$record"
  wall=$(awk -v b="$begin" -v e="$end" 'BEGIN { printf "%.0f s", e - b }')
  if [ "${name#build-}" != "$name" ]; then
    table+=("$(printf '%-16s %8s' "$name" "$wall")")
    if [ "$status" != 0 ]; then
      echo
      echo "== $name failed ($log):"
      grep -E -B2 -A6 'error|Error' "$log" | head -n 60
    fi
    continue
  fi
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo
    echo "== $name: no test summary in $log"
    tail -n 20 "$log"
    table+=("$(printf '%-16s %8s  no summary' "$name" "$wall")")
    failed=$((failed + 1))
    continue
  fi
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  table+=("$(printf '%-16s %8s  %d tests, %d failed' "$name" "$wall" "$total" "$bad")")
  if [ "$bad" != 0 ]; then
    echo
    echo "== $name: $bad of $total failed ($log)"
    # Each failed test's result line and the output CTest prints after it, then CTest's list.
    awk '/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / { show = $0 !~ / Passed / }
         /^ *Start +[0-9]+: / { show = 0 }
         /tests passed, [0-9]+ tests? failed/ { show = 0; tail = 1 }
         show || tail' "$log"
  fi
done

# Each fuzz target runs for a fixed time; its executions say how far it got.
[ -f build/fuzz/Testing/Temporary/LastTest.log ] &&
  awk '/^[0-9]+\/[0-9]+ Test: /{t=$3} /^stat::number_of_executed_units/{print t ": " $2 " executions"}' \
    build/fuzz/Testing/Temporary/LastTest.log
[ -d build/screenshots ] && echo "Screenshots: $PWD/build/screenshots"
echo
printf '%s\n' "${table[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
