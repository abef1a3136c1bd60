#include "target/DriveInfo.h"

namespace setup {

void GetDriveInfo(Volumes& volumes, const std::string& root, TDriveInfo& info) {
  info.Root = root.substr(0, 1) + ":\\";
  const auto volume = volumes.QueryVolume(info.Root);
  if (!volume) {
    info.Valid = false;
    info.VolumeLabel.clear();
    info.SerialNumber = info.MaxComponentLength = info.FileSystemFlags = 0;
    return;
  }
  // The label is a C string in a fixed buffer: nothing after its first zero byte counts.
  info.VolumeLabel = volume->label.substr(0, volume->label.find('\0'));
  info.SerialNumber = volume->serialNumber;
  info.MaxComponentLength = volume->maxComponentLength;
  info.FileSystemFlags = volume->fileSystemFlags;
  info.Valid = true;
}

std::string GetDriveTypeText(Volumes& volumes, const std::string& root) {
  if (root.empty()) return "unknown! ";
  switch (volumes.DriveType(root)) {
    case 0:
      return "unknown! ";
    case 1:
      return "No Root! ";
    case 2:
      return "Removable";
    case 3:
      return "Fixed-HDD";
    case 4:
      return "Network  ";
    case 5:
      return "CD-ROM   ";
    case 6:
      return "RAM-Disk ";
    default:
      return "noDefine!";
  }
}

std::string DriveListLine(const std::string& root, const std::string& typeText,
                          const std::string& label) {
  return root + " " + typeText + " [" + label + "]";
}

std::vector<std::string> BuildDriveList(Volumes& volumes) {
  std::vector<std::string> lines;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    TDriveInfo info;
    GetDriveInfo(volumes, root, info);
    if (!info.Valid) continue;
    lines.push_back(DriveListLine(root, GetDriveTypeText(volumes, root), info.VolumeLabel));
  }
  return lines;
}

std::string FirstWord(const std::string& text) {
  return text.substr(0, text.find(' '));
}

}  // namespace setup
