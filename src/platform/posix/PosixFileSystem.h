// The file system of the host tools and the benchmark. Takes the Windows-form paths the core
// builds ("\" separators) and works on the POSIX file system.
#pragma once

#include "platform/Platform.h"

namespace setup {

class PosixFileSystem : public FileSystem {
 public:
  // "\" becomes "/"; nothing else changes.
  static std::string Native(const std::string& path);

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  Bytes ReadWholeFile(const std::string& path) override;
  void WriteWholeFile(const std::string& path, ByteView data) override;
  // Writes the line's bytes as they are (UTF-8) plus CR LF.
  void AppendLine(const std::string& path, const std::string& line) override;
  bool DeleteFile(const std::string& path) override;
  bool CreateFolders(const std::string& path) override;
};

}  // namespace setup
