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
