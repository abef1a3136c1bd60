# What the Wine tests share: how 32-bit programs run here, the prefixes and their displays.
#
# Wine's 32-bit loader starts only where the kernel runs 32-bit code (ia32 emulation); elsewhere
# qemu-user runs it (tests/wine/i686.sh). Probed once, when the tree is configured.
set(SETUP_I686_RUNNER auto CACHE STRING "How 32-bit programs run: auto, native or qemu")
set_property(CACHE SETUP_I686_RUNNER PROPERTY STRINGS auto native qemu)
if(SETUP_I686_RUNNER STREQUAL "auto")
  if(NOT DEFINED SETUP_I686_PROBED)
    execute_process(COMMAND /usr/lib/wine/wine --version RESULT_VARIABLE _wine32
                    OUTPUT_QUIET ERROR_QUIET TIMEOUT 60)
    if(_wine32 EQUAL 0)
      set(_route native)
    else()
      set(_route qemu)
    endif()
    set(SETUP_I686_PROBED ${_route} CACHE INTERNAL "What the kernel was found to run")
  endif()
  set(SETUP_I686_ROUTE ${SETUP_I686_PROBED})
else()
  set(SETUP_I686_ROUTE ${SETUP_I686_RUNNER})
endif()
message(STATUS "32-bit programs run: ${SETUP_I686_ROUTE}")
# For the demo, which reads it rather than probing again.
file(WRITE "${CMAKE_BINARY_DIR}/i686-route" "${SETUP_I686_ROUTE}\n")

set(SETUP_WINE_STATE "${CMAKE_BINARY_DIR}/wine")
set(SETUP_WINE_TOOLS "${CMAKE_SOURCE_DIR}/tests/wine")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(SETUP_WINE_LOADER /usr/lib/wine/wine64)
else()
  set(SETUP_WINE_LOADER wine)
endif()
# Runs a command of this build's programs: through qemu when they are 32-bit and the kernel
# runs no 32-bit code.
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND SETUP_I686_ROUTE STREQUAL "qemu")
  set(SETUP_WINE_RUN "${SETUP_WINE_TOOLS}/i686.sh")
else()
  set(SETUP_WINE_RUN "")
endif()

# setup_wine_prefix(<name>): the fixture <name> makes the prefix ${CMAKE_BINARY_DIR}/<name> once,
# starts an Xvfb of the prefix's own, and after the last test ends the prefix's session and
# stops the Xvfb. The tests that use the prefix hold the lock <name>, since each begins a fresh
# session (wineserver -k) and maps its own drives; tests of other prefixes run beside them, each
# prefix on its own display.
function(setup_wine_prefix name)
  set(prefix "${CMAKE_BINARY_DIR}/${name}")
  set(state "${SETUP_WINE_STATE}/${name}")
  add_test(NAME ${name}_make COMMAND bash "${SETUP_WINE_TOOLS}/prefix.sh" "${prefix}")
  add_test(NAME ${name}_stop COMMAND bash "${SETUP_WINE_TOOLS}/prefix.sh" stop "${prefix}")
  add_test(NAME ${name}_display_start COMMAND bash "${SETUP_WINE_TOOLS}/display.sh" start "${state}")
  add_test(NAME ${name}_display_stop COMMAND bash "${SETUP_WINE_TOOLS}/display.sh" stop "${state}")
  set_tests_properties(${name}_make PROPERTIES FIXTURES_SETUP ${name} RESOURCE_LOCK ${name}
    TIMEOUT 600 ENVIRONMENT "SETUP_I686_ROUTE=${SETUP_I686_ROUTE}")
  set_tests_properties(${name}_stop PROPERTIES FIXTURES_CLEANUP ${name} RESOURCE_LOCK ${name})
  set_tests_properties(${name}_display_start PROPERTIES FIXTURES_SETUP ${name})
  # The session ends before its display goes.
  set_tests_properties(${name}_display_stop PROPERTIES FIXTURES_CLEANUP ${name}
    DEPENDS ${name}_stop)
endfunction()

# setup_wine_test(<test> <prefix name>): the test runs in that prefix, on the prefix's display
# (tests/wine/on-display.sh).
function(setup_wine_test test name)
  set_tests_properties(${test} PROPERTIES
    FIXTURES_REQUIRED ${name}
    RESOURCE_LOCK ${name}
    ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/${name};SETUP_WINE_STATE=${SETUP_WINE_STATE}/${name};SETUP_WINE_TEST=${test};WINE=${SETUP_WINE_LOADER};SETUP_I686_ROUTE=${SETUP_I686_ROUTE};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
endfunction()
