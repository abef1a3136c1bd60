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
  wchar_t label[261];
  label[0] = L'\0';
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!volumeQuery_(ToWide(root).c_str(), label, 261, &serial, &maxComponent, &flags, nullptr, 0))
    return std::nullopt;
  VolumeInfo info;
  info.label = ToUtf8(std::wstring_view(label, wcsnlen(label, 261)));
  info.serialNumber = serial;
  info.maxComponentLength = maxComponent;
  info.fileSystemFlags = flags;
  return info;
}

unsigned Win32Volumes::DriveType(const std::string& root) {
  const NoCriticalErrorBox noBox;
  return typeQuery_(ToWide(root).c_str());
}

}  // namespace setup
