// The Platform interfaces over the wide Win32 API; the product's own implementation.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"

namespace setup {

class Win32FileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  Bytes ReadWholeFile(const std::string& path) override;
  void WriteWholeFile(const std::string& path, ByteView data) override;
  void AppendLine(const std::string& path, const std::string& line) override;
  bool DeleteFile(const std::string& path) override;
  bool CreateFolders(const std::string& path) override;
};

class Win32Profile : public Profile {
 public:
  std::string ReadString(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& def) override;
  void WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;
  void Flush(const std::string& file) override;
};

class Win32Volumes : public Volumes {
 public:
  using VolumeQuery = decltype(&GetVolumeInformationW);
  using TypeQuery = decltype(&GetDriveTypeW);
  // The system calls can be replaced, so that a test sees the thread's state during them.
  explicit Win32Volumes(VolumeQuery volumeQuery = GetVolumeInformationW,
                        TypeQuery typeQuery = GetDriveTypeW)
      : volumeQuery_(volumeQuery), typeQuery_(typeQuery) {}
  std::optional<VolumeInfo> QueryVolume(const std::string& root) override;
  unsigned DriveType(const std::string& root) override;
  std::optional<VolumeSpace> QuerySpace(const std::string& root) override;

 private:
  VolumeQuery volumeQuery_;
  TypeQuery typeQuery_;
};

class Win32Process : public Process {
 public:
  // The thread's handle goes first, then the process's.
  explicit Win32Process(const PROCESS_INFORMATION& info)
      : process_(info.hProcess), thread_(info.hThread) {}
  Wait WaitFor(unsigned milliseconds) override;

 private:
  ScopedHandle process_;
  ScopedHandle thread_;
};

class Win32Processes : public Processes {
 public:
  std::optional<std::string> GetEnv(const std::string& name) override;
  std::unique_ptr<Process> StartHidden(const std::string& commandLine,
                                       const std::string& folder) override;
};

class Win32Module : public Module {
 public:
  std::string ExePath() override;
  ByteView Resource(const std::string& name) override;
};

}  // namespace setup
