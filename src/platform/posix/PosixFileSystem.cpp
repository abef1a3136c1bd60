#include "platform/posix/PosixFileSystem.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace setup {

namespace {

std::string Reason(int error) {
  return std::strerror(error);
}

bool IsMode(const std::string& native, mode_t kind) {
  struct stat st;
  return ::stat(native.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == kind;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now, so that a failing close (a deferred write error) can be reported.
  int Close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

// Writes all of data; false with errno set when the medium takes less.
bool WriteAll(int fd, ByteView data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string PosixFileSystem::Native(const std::string& path) {
  std::string out = path;
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

bool PosixFileSystem::FileExists(const std::string& path) {
  return IsMode(Native(path), S_IFREG);
}

bool PosixFileSystem::FolderExists(const std::string& path) {
  return IsMode(Native(path), S_IFDIR);
}

std::optional<std::uint64_t> PosixFileSystem::FileSize(const std::string& path) {
  struct stat st;
  if (::stat(Native(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

Bytes PosixFileSystem::ReadWholeFile(const std::string& path) {
  Fd fd(::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw OpenError(path, Reason(errno));
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) throw OpenError(path, Reason(errno));
  if (S_ISDIR(st.st_mode)) throw OpenError(path, Reason(EISDIR));
  Bytes data;
  data.reserve(static_cast<std::size_t>(st.st_size));
  std::uint8_t buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw Error("Cannot read file \"" + path + "\". " + Reason(errno));
    if (n == 0) break;
    data.insert(data.end(), buffer, buffer + n);
  }
  return data;
}

void PosixFileSystem::WriteWholeFile(const std::string& path, ByteView data) {
  const std::string target = Native(path);
  const std::string temp = Native(ReplacementPath(path));
  if (IsMode(target, S_IFDIR)) throw CreateError(path, Reason(EISDIR));
  Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) throw CreateError(path, Reason(errno));
  // Whatever fails from here on, the target keeps its old bytes and the temporary file goes.
  const auto fail = [&](Error error) {
    if (fd.get() >= 0) fd.Close();
    ::unlink(temp.c_str());
    return error;
  };
  if (!WriteAll(fd.get(), data)) throw fail(WriteError(path, Reason(errno)));
  if (::fsync(fd.get()) != 0) throw fail(WriteError(path, Reason(errno)));
  if (fd.Close() != 0) throw fail(WriteError(path, Reason(errno)));
  if (::rename(temp.c_str(), target.c_str()) != 0) throw fail(CreateError(path, Reason(errno)));
}

void PosixFileSystem::AppendLine(const std::string& path, const std::string& line) {
  Fd fd(::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
  if (fd.get() < 0) throw OpenError(path, Reason(errno));
  const std::string text = line + "\r\n";
  const ByteView bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  if (!WriteAll(fd.get(), bytes)) throw WriteError(path, Reason(errno));
  if (fd.Close() != 0) throw WriteError(path, Reason(errno));
}

bool PosixFileSystem::DeleteFile(const std::string& path) {
  return ::unlink(Native(path).c_str()) == 0;
}

bool PosixFileSystem::CreateFolders(const std::string& path) {
  const std::string native = Native(path);
  if (native.empty()) return false;
  // Each prefix up to a "/" in turn, then the whole path; existing ones are fine.
  for (std::size_t pos = native.find('/', 1);; pos = native.find('/', pos + 1)) {
    const std::string part = native.substr(0, pos);
    if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) break;
    if (pos == std::string::npos) break;
  }
  return IsMode(native, S_IFDIR);
}

}  // namespace setup
