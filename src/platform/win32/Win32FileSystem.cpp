#include <climits>

#include "platform/win32/Handle.h"
#include "platform/win32/Win32Platform.h"

namespace setup {

namespace {

std::string LastReason() {
  return SystemReason(GetLastError());
}

Error ReadError(const std::string& path, const std::string& reason) {
  return Error("Cannot read file \"" + path + "\". " + reason);
}

// Writes everything or throws. A write that stores nothing without an error is what a full
// medium looks like on some file systems, so it counts as a full disk.
void WriteAll(HANDLE h, const std::string& path, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const DWORD ask = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(h, data, ask, &written, nullptr)) throw WriteError(path, LastReason());
    if (written == 0) throw WriteError(path, SystemReason(ERROR_DISK_FULL));
    data += written;
    size -= written;
  }
}

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// "E:" and "E:\" both name the root of E:.
bool IsDriveRoot(const std::wstring& p) {
  return (p.size() == 2 || (p.size() == 3 && IsSeparator(p[2]))) && p[1] == L':';
}

DWORD Attributes(const std::wstring& path) {
  return GetFileAttributesW(path.c_str());
}

bool IsFolder(const std::wstring& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(std::wstring path) {
  while (path.size() > 1 && IsSeparator(path.back()) && !IsDriveRoot(path)) path.pop_back();
  if (path.size() == 2 && path[1] == L':') path += L'\\';
  if (IsFolder(path)) return true;
  if (IsDriveRoot(path)) return false;
  const auto cut = path.find_last_of(L"\\/");
  if (cut != std::wstring::npos && cut > 0) {
    // Keep the separator of a drive root: "E:" alone would mean E:'s current folder.
    const bool root = cut == 2 && path[1] == L':';
    MakeFolder(path.substr(0, root ? cut + 1 : cut));
  }
  CreateDirectoryW(path.c_str(), nullptr);
  return IsFolder(path);
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) {
  const DWORD a = Attributes(ToWide(path));
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  return IsFolder(ToWide(path));
}

std::optional<std::uint64_t> Win32FileSystem::FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

Bytes Win32FileSystem::ReadWholeFile(const std::string& path) {
  ScopedFile file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw OpenError(path, LastReason());
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) throw ReadError(path, LastReason());
  if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX / 2)
    throw ReadError(path, SystemReason(ERROR_NOT_ENOUGH_MEMORY));
  Bytes data(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < data.size()) {
    const std::size_t left = data.size() - done;
    const DWORD ask = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
    DWORD got = 0;
    if (!ReadFile(file.get(), data.data() + done, ask, &got, nullptr))
      throw ReadError(path, LastReason());
    if (got == 0) throw ReadError(path, SystemReason(ERROR_HANDLE_EOF));
    done += got;
  }
  return data;
}

void Win32FileSystem::WriteWholeFile(const std::string& path, ByteView data) {
  const std::wstring target = ToWide(path);
  const std::wstring temp = ToWide(ReplacementPath(path));
  // A folder or a read-only file of the target's name is refused as Windows refuses it; Wine,
  // run as root, would rename over a read-only file.
  const DWORD existing = Attributes(target);
  if (existing != INVALID_FILE_ATTRIBUTES &&
      (existing & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
    throw CreateError(path, SystemReason(ERROR_ACCESS_DENIED));
  }
  // A leftover of a crash may carry the read-only attribute, which CREATE_ALWAYS refuses.
  SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
  ScopedFile file(CreateFileW(temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw CreateError(path, LastReason());
  // Whatever fails from here on, the target keeps its old bytes and the temporary file goes.
  const auto fail = [&](Error error) {
    if (file.valid()) file.Close();
    DeleteFileW(temp.c_str());
    return error;
  };
  try {
    WriteAll(file.get(), path, data.data(), data.size());
  } catch (const Error& e) {
    throw fail(e);
  }
  if (!FlushFileBuffers(file.get())) throw fail(WriteError(path, LastReason()));
  if (!file.Close()) throw fail(WriteError(path, LastReason()));
  if (!MoveFileExW(temp.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw fail(CreateError(path, LastReason()));
  }
}

void Win32FileSystem::AppendLine(const std::string& path, const std::string& line) {
  ScopedFile file(CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw OpenError(path, LastReason());
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) throw WriteError(path, LastReason());
  const std::string bytes = ToAnsi(line) + "\r\n";
  WriteAll(file.get(), path, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  if (!file.Close()) throw WriteError(path, LastReason());
}

bool Win32FileSystem::DeleteFile(const std::string& path) {
  return DeleteFileW(ToWide(path).c_str()) != FALSE;
}

bool Win32FileSystem::CreateFolders(const std::string& path) {
  if (path.empty()) return false;
  return MakeFolder(ToWide(path));
}

}  // namespace setup
