// Volume queries for the drive list of the target drive dialog.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace setup {

struct TDriveInfo {
  bool Valid = false;
  std::string Root;
  std::string VolumeLabel;
  std::uint32_t SerialNumber = 0;
  std::uint32_t MaxComponentLength = 0;
  std::uint32_t FileSystemFlags = 0;
};

// Fills info for the drive named by the first character of root (root must not be empty).
void GetDriveInfo(Volumes& volumes, const std::string& root, TDriveInfo& info);
// The nine-character type text ("Removable", "Fixed-HDD", ...); "unknown! " for an empty root.
std::string GetDriveTypeText(Volumes& volumes, const std::string& root);
// "%s %s [%s]" of root, type text and label.
std::string DriveListLine(const std::string& root, const std::string& typeText,
                          const std::string& label);
// One line per answering drive, A to Z.
std::vector<std::string> BuildDriveList(Volumes& volumes);
// The text before the first blank; the whole text when it has none.
std::string FirstWord(const std::string& text);

}  // namespace setup
