#include "platform/win32/Win32Platform.h"

namespace setup {

namespace {

// A card reader's empty slot would have Windows ask "There is no disk in the drive" on every
// query; with critical errors failed for this thread, the query just fails and the drive is
// left out of the list.
class NoCriticalErrorBox {
 public:
  NoCriticalErrorBox() : set_(SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_) != FALSE) {}
  NoCriticalErrorBox(const NoCriticalErrorBox&) = delete;
  NoCriticalErrorBox& operator=(const NoCriticalErrorBox&) = delete;
  ~NoCriticalErrorBox() {
    if (set_) SetThreadErrorMode(old_, nullptr);
  }

 private:
  DWORD old_ = 0;
  bool set_;
};

}  // namespace

std::optional<VolumeInfo> Win32Volumes::QueryVolume(const std::string& root) {
  const NoCriticalErrorBox noBox;
  wchar_t label[261], fileSystem[261];
  label[0] = fileSystem[0] = L'\0';
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!volumeQuery_(ToWide(root).c_str(), label, 261, &serial, &maxComponent, &flags, fileSystem,
                    261))
    return std::nullopt;
  VolumeInfo info;
  info.label = ToUtf8(std::wstring_view(label, wcsnlen(label, 261)));
  info.serialNumber = serial;
  info.maxComponentLength = maxComponent;
  info.fileSystemFlags = flags;
  info.fileSystem = ToUtf8(std::wstring_view(fileSystem, wcsnlen(fileSystem, 261)));
  return info;
}

unsigned Win32Volumes::DriveType(const std::string& root) {
  const NoCriticalErrorBox noBox;
  return typeQuery_(ToWide(root).c_str());
}

std::optional<VolumeSpace> Win32Volumes::QuerySpace(const std::string& root) {
  const NoCriticalErrorBox noBox;
  const std::wstring wide = ToWide(root);
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceW(wide.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &clusters)) {
    return std::nullopt;
  }
  // The cluster counts above stop at 2 GB worth on larger volumes; the byte counts do not.
  ULARGE_INTEGER freeForCaller{}, total{}, totalFree{};
  if (!GetDiskFreeSpaceExW(wide.c_str(), &freeForCaller, &total, &totalFree)) return std::nullopt;
  VolumeSpace space;
  space.clusterSize = std::uint64_t{sectorsPerCluster} * bytesPerSector;
  space.freeBytes = freeForCaller.QuadPart;
  space.totalBytes = total.QuadPart;
  return space;
}

}  // namespace setup
