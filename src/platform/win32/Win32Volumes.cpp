#include "platform/win32/Win32Platform.h"

namespace setup {

// The process's error mode is left alone: whether Windows asks for a missing medium is the
// system's choice.
std::optional<VolumeInfo> Win32Volumes::QueryVolume(const std::string& root) {
  wchar_t label[261];
  label[0] = L'\0';
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!GetVolumeInformationW(ToWide(root).c_str(), label, 261, &serial, &maxComponent, &flags,
                             nullptr, 0))
    return std::nullopt;
  VolumeInfo info;
  info.label = ToUtf8(std::wstring_view(label, wcsnlen(label, 261)));
  info.serialNumber = serial;
  info.maxComponentLength = maxComponent;
  info.fileSystemFlags = flags;
  return info;
}

unsigned Win32Volumes::DriveType(const std::string& root) {
  return GetDriveTypeW(ToWide(root).c_str());
}

}  // namespace setup
