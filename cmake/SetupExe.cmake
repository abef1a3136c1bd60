# Setup.exe: the five windows over the core, with the payload archive, the manifest and the
# version information linked in as resources.
enable_language(RC)

set(SETUP_MANIFEST "${CMAKE_SOURCE_DIR}/resources/Setup.manifest")
configure_file(resources/Setup.rc.in "${CMAKE_BINARY_DIR}/Setup.rc" @ONLY)
set_source_files_properties("${CMAKE_BINARY_DIR}/Setup.rc" PROPERTIES
  OBJECT_DEPENDS "${SETUP_ARCHIVE};${SETUP_MANIFEST}")

add_executable(Setup WIN32
  src/windows/Setup.cpp
  "${CMAKE_BINARY_DIR}/Setup.rc")
# A GUI program (no console) entered through wWinMain.
target_link_options(Setup PRIVATE -mwindows -municode)
target_link_libraries(Setup PRIVATE setup_windows)

# Reproducible: two builds of one commit, in any folders, give the same bytes. The PE time stamp
# is SOURCE_DATE_EPOCH as the tree was configured with it (the linker reads it at link time), or
# zero; the checksum follows from the bytes; no folder of this machine is compiled in (see the
# top-level list) and the resource compiler embeds none.
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(SETUP_TIME_STAMP "$ENV{SOURCE_DATE_EPOCH}")
  set_property(TARGET Setup PROPERTY RULE_LAUNCH_LINK "env SOURCE_DATE_EPOCH=${SETUP_TIME_STAMP}")
else()
  set(SETUP_TIME_STAMP 0)
  target_link_options(Setup PRIVATE -Wl,--no-insert-timestamp)
endif()
add_test(NAME setup_reproducible
  COMMAND bash "${CMAKE_SOURCE_DIR}/tests/reproducible.sh" $<TARGET_FILE:Setup> ${SETUP_TIME_STAMP}
          "${CMAKE_SOURCE_DIR}" "${CMAKE_BINARY_DIR}" "${SETUP_HOST_BUILD_DIR}")
