// Everything the program asks of the operating system, one small interface per concern.
// The core sees only these; platform/win32 is the product, the tests own an in-memory fake.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace setup {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// How failures travel, for every interface below and the core over them:
// - Exceptions: every failure of a file, stream or settings operation (and of the windows
//   themselves) is an Error whose text names the file and the system's reason. The core catches
//   none; the application object shows any exception that reaches an event, titled with the
//   application title, and the program goes on in the main window.
// - Fatal reports (FatalReport below): a message box and an end request, for conditions the
//   code treats as programming faults ("FatalError: ...") and for a missing archive entry; the
//   caller returns normally and its callers run to their end.
// - Silent by design: a log that could not be deleted, the outcome of creating folders (the
//   write into them fails instead), a drive that does not answer (left out of the list), a
//   command interpreter that is missing or does not start.
//
// The program's one error type.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Error texts shared by every file system, so that each names the file the same way.
inline Error CreateError(const std::string& path, const std::string& reason) {
  return Error("Cannot create file \"" + path + "\". " + reason);
}
inline Error OpenError(const std::string& path, const std::string& reason) {
  return Error("Cannot open file \"" + path + "\". " + reason);
}
inline Error WriteError(const std::string& path, const std::string& reason) {
  return Error("Cannot write file \"" + path + "\". " + reason);
}

// Where the new bytes of path wait until they replace it: the same folder, so that the last
// step is a rename on one volume, and a fixed name, so that a leftover of a crash is simply
// overwritten by the next write of that file.
inline std::string ReplacementPath(const std::string& path) {
  return path + ".setup~";
}

// Reading files and folders, all that a planning pass may do to the card. Paths are UTF-8 in
// Windows form ("E:\Skylarch\global.ini").
class FileReader {
 public:
  virtual ~FileReader() = default;
  // A file, not a folder, exists at path.
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // The size of the file (not a folder) at path; nullopt when there is none.
  virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;
  // Opens an existing file for reading with no sharing and reads it whole.
  virtual Bytes ReadWholeFile(const std::string& path) = 0;
};

// Files and folders, read and written.
class FileSystem : public FileReader {
 public:
  // Replaces the file's content with data, or leaves it exactly as it was: the bytes go to
  // ReplacementPath(path) (no sharing), are flushed to the medium and closed, and only then
  // does that file take the target's place. Any failure (create, short write on a full card,
  // a target held open, read-only or a folder) is an Error naming path, and the temporary
  // file is gone again.
  virtual void WriteWholeFile(const std::string& path, ByteView data) = 0;
  // Appends the line in the system's ANSI code page plus CR LF, creating the file when it is
  // missing; the file is closed again before the call returns.
  virtual void AppendLine(const std::string& path, const std::string& line) = 0;
  // False when there was nothing to delete or it could not be deleted.
  virtual bool DeleteFile(const std::string& path) = 0;
  // Creates the folder with every missing parent; false when it does not exist afterwards.
  virtual bool CreateFolders(const std::string& path) = 0;
};

// Private profile (INI) files, with the Windows semantics: section and key names match
// ignoring case, reading never creates the file.
class Profile {
 public:
  virtual ~Profile() = default;
  virtual std::string ReadString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& def) = 0;
  // Throws Error "<file> に書き込めません" when the value cannot be written.
  virtual void WriteString(const std::string& file, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
  // Flushes the system's cached copy of the file.
  virtual void Flush(const std::string& file) = 0;
};

struct VolumeInfo {
  std::string label;
  std::uint32_t serialNumber = 0;
  std::uint32_t maxComponentLength = 0;
  std::uint32_t fileSystemFlags = 0;
  std::string fileSystem;  // "FAT", "FAT32", "exFAT", "NTFS" (every drive under Wine)
};

// The room on a volume, as a setup plans its writes against it.
struct VolumeSpace {
  std::uint64_t clusterSize = 0;  // bytes in one allocation unit
  std::uint64_t freeBytes = 0;    // free for the calling user (quotas count)
  std::uint64_t totalBytes = 0;
};

class Volumes {
 public:
  virtual ~Volumes() = default;
  // Volume information of a root such as "E:\"; nullopt when the query fails.
  virtual std::optional<VolumeInfo> QueryVolume(const std::string& root) = 0;
  // The Win32 drive type number of a root (0 unknown ... 6 RAM disk).
  virtual unsigned DriveType(const std::string& root) = 0;
  // The cluster size, free and total space of a root; nullopt when a query fails.
  virtual std::optional<VolumeSpace> QuerySpace(const std::string& root) = 0;
};

// A started process; destroying it closes its thread handle, then its process handle.
class Process {
 public:
  enum class Wait { Ended, TimedOut, Failed };
  virtual ~Process() = default;
  virtual Wait WaitFor(unsigned milliseconds) = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;
  // The whole value of an environment variable; nullopt when it is not set.
  virtual std::optional<std::string> GetEnv(const std::string& name) = 0;
  // Starts the command line with a hidden window (STARTF_USESHOWWINDOW, SW_HIDE), no handle
  // inheritance, CREATE_DEFAULT_ERROR_MODE and folder as current folder; null when it fails.
  virtual std::unique_ptr<Process> StartHidden(const std::string& commandLine,
                                               const std::string& folder) = 0;
};

// The running executable.
class Module {
 public:
  virtual ~Module() = default;
  virtual std::string ExePath() = 0;
  // The bytes of the RCDATA resource of that name; Error when it is missing.
  virtual ByteView Resource(const std::string& name) = 0;
};

// What the core asks of the window system: message boxes, the end request, message pumping.
class Ui {
 public:
  virtual ~Ui() = default;
  // Modal message box with one OK button, titled with the application title.
  virtual void ShowMessage(const std::string& text) = 0;
  // Sets the end flag and posts the quit message; the running handler goes on to its end.
  virtual void RequestEnd() = 0;
  virtual bool EndRequested() const = 0;
  // Processes every pending window message.
  virtual void ProcessMessages() = 0;
};

// A message box followed by an end request; the caller returns normally afterwards.
inline void FatalReport(Ui& ui, const std::string& text) {
  ui.ShowMessage(text);
  ui.RequestEnd();
}

}  // namespace setup
