# The payload archive, packed at build time by the host tools from a payload folder.
# SETUP_PAYLOAD_DIR points a release build at the application's real files; left empty, the
# deterministic stand-in payload is generated into the build tree.
set(SETUP_HOST_BUILD_DIR "${CMAKE_SOURCE_DIR}/build/host" CACHE PATH
    "Host build tree holding tools/setup-pack and tools/standin-payload")
set(SETUP_PAYLOAD_DIR "" CACHE PATH "Folder of the files to embed (empty: the stand-in payload)")

set(SETUP_PACK "${SETUP_HOST_BUILD_DIR}/tools/setup-pack")
set(SETUP_STANDIN "${SETUP_HOST_BUILD_DIR}/tools/standin-payload")
set(SETUP_ARCHIVE "${CMAKE_BINARY_DIR}/setupdata.bin")

if(SETUP_PAYLOAD_DIR)
  file(GLOB_RECURSE _payload_files CONFIGURE_DEPENDS "${SETUP_PAYLOAD_DIR}/*")
  add_custom_command(OUTPUT "${SETUP_ARCHIVE}"
    COMMAND "${SETUP_PACK}" pack "${SETUP_PAYLOAD_DIR}" "${SETUP_ARCHIVE}"
    DEPENDS ${_payload_files} "${SETUP_PACK}"
    COMMENT "Packing ${SETUP_PAYLOAD_DIR}")
else()
  set(_standin "${CMAKE_BINARY_DIR}/standin-payload")
  add_custom_command(OUTPUT "${SETUP_ARCHIVE}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${_standin}"
    COMMAND "${SETUP_STANDIN}" "${_standin}"
    COMMAND "${SETUP_PACK}" pack "${_standin}" "${SETUP_ARCHIVE}"
    DEPENDS "${SETUP_STANDIN}" "${SETUP_PACK}"
    COMMENT "Generating and packing the stand-in payload")
endif()
# Depending on the payload through the core packs the archive before anything that links the
# core (Setup.exe, the Win32 tests).
add_custom_target(setup_payload DEPENDS "${SETUP_ARCHIVE}")
add_dependencies(setup_core setup_payload)
