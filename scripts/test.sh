#!/usr/bin/env bash
# Builds everything and runs every test: the native suites, the tests of platform/win32 under
# Wine and the end-to-end runs of Setup.exe under Wine with Xvfb. Ends with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
bash scripts/deps.sh || exit 1

cmake --preset host >/dev/null && cmake --build --preset host || exit 1
cmake --preset host-asan >/dev/null && cmake --build --preset host-asan || exit 1
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz || exit 1
cmake --preset win32 >/dev/null && cmake --build --preset win32 || exit 1

# The product is the 32-bit build. Where the kernel runs no 32-bit code (the win32 configuration
# found which) the Wine tests run the same sources built for x86-64, and the real 32-bit program
# through qemu.
wine_preset=win32
if [ "$(cat build/win32/i686-route)" = qemu ]; then
  wine_preset=win64
  echo "This kernel runs no 32-bit code: the Wine tests run the x86-64 build and, through qemu, the i686 one."
  # The x86-64 tree takes the route the 32-bit tree found rather than probing again.
  cmake --preset win64 -DSETUP_I686_RUNNER=qemu >/dev/null && cmake --build --preset win64 || exit 1
fi

mkdir -p build
ctest --preset host 2>&1 | tee build/host-tests.log
# The native suites again under AddressSanitizer and UndefinedBehaviorSanitizer.
ctest --preset host-asan 2>&1 | tee build/host-asan-tests.log
# Each fuzz target runs for a fixed time; its executions say how far it got.
ctest --preset fuzz 2>&1 | tee build/fuzz-tests.log
awk '/^[0-9]+\/[0-9]+ Test: /{t=$3} /^stat::number_of_executed_units/{print t ": " $2 " executions"}' \
  build/fuzz/Testing/Temporary/LastTest.log
# Tests of one prefix hold its lock; the three prefixes, each on its own display, run side by
# side. Most of a Wine test is waiting, so three jobs pay on two cores; a fourth finds no prefix.
ctest --preset $wine_preset -j3 2>&1 | tee build/win32-tests.log

passed=0
failed=0
for log in build/host-tests.log build/host-asan-tests.log build/fuzz-tests.log build/win32-tests.log; do
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "no test summary in $log"
    failed=$((failed + 1))
    continue
  fi
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
done
[ -d build/screenshots ] && echo "Screenshots: $PWD/build/screenshots"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
