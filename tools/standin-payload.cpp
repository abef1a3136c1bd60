// Writes the stand-in payload, the same bytes on every run, into a folder.
#include <cstdio>
#include <exception>
#include <string>

#include "StandinPayload.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: standin-payload <folder>\n");
    return 1;
  }
  try {
    setup::PosixFileSystem fs;
    std::string folder = argv[1];
    if (folder.back() != '/') folder += '/';
    fs.CreateFolders(folder);
    for (const auto& file : setup::StandinPayload()) {
      const std::string target = folder + file.name;
      fs.CreateFolders(setup::ExtractFilePath(target));
      fs.WriteWholeFile(target, file.data);
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "standin-payload: %s\n", e.what());
    return 1;
  }
}
