// The settings file beside the executable: the stored drive and the ticks.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "install/Views.h"
#include "platform/Platform.h"

namespace setup {

// The executable's path with its extension replaced by ".ini".
std::string SettingsPathFor(const std::string& exePath);

struct SettingsKey {
  std::string_view section;
  std::string_view key;
  Check check;
};

// The seventeen check-box keys in the order they are read and written.
extern const std::array<SettingsKey, 17> kSettingsKeys;

void LoadSettings(Profile& profile, const std::string& settingsFile, CheckBoxes& checks,
                  DriveListView& driveList);
void SelectStoredDrive(Profile& profile, const std::string& settingsFile,
                       const std::string& section, const std::string& key,
                       DriveListView& driveList);
void SaveSettings(Profile& profile, const std::string& settingsFile, const CheckBoxes& checks,
                  const DriveListView& driveList);

}  // namespace setup
