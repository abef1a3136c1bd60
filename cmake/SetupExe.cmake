# Setup.exe: the five windows over the core, with the payload archive, the manifest and the
# version information linked in as resources.
enable_language(RC)

set(SETUP_MANIFEST "${CMAKE_SOURCE_DIR}/resources/Setup.manifest")
configure_file(resources/Setup.rc.in "${CMAKE_BINARY_DIR}/Setup.rc" @ONLY)
set_source_files_properties("${CMAKE_BINARY_DIR}/Setup.rc" PROPERTIES
  OBJECT_DEPENDS "${SETUP_ARCHIVE};${SETUP_MANIFEST}")

add_executable(Setup WIN32
  src/install/Setup.cpp
  src/install/MainWin.cpp
  src/install/SetuppedWin.cpp
  src/target/SelDrvWin.cpp
  src/language/SelMLWin.cpp
  src/archive/LoadingWin.cpp
  "${CMAKE_BINARY_DIR}/Setup.rc")
add_dependencies(Setup setup_archive)
# A GUI program (no console) entered through wWinMain.
target_link_options(Setup PRIVATE -mwindows -municode)
target_link_libraries(Setup PRIVATE setup_core setup_win32 gdi32 user32)
