#include "install/Settings.h"

#include "platform/Paths.h"
#include "platform/ProfileInt.h"
#include "target/DriveInfo.h"

namespace setup {

std::string SettingsPathFor(const std::string& exePath) {
  return ChangeFileExt(exePath, ".ini");
}

namespace {

const char kDriveSection[] = "system";
const char kDriveKey[] = "TargetDrive";

// Releasing the file flushes the system's cached copy, also when a step failed.
template <typename Body>
void WithProfileReleased(Profile& profile, const std::string& file, Body body) {
  try {
    body();
  } catch (...) {
    try {
      profile.Flush(file);
    } catch (...) {
      // The first error is the one worth showing.
    }
    throw;
  }
  profile.Flush(file);
}

}  // namespace

void SelectStoredDrive(Profile& profile, const std::string& settingsFile,
                       const std::string& section, const std::string& key, DriveList& drives) {
  const std::string stored = FirstWord(profile.ReadString(settingsFile, section, key, ""));
  // No early exit: with several matching lines the last one wins.
  for (std::size_t i = 0; i < drives.lines.size(); ++i) {
    if (FirstWord(drives.lines[i]) == stored) drives.selected = static_cast<int>(i);
  }
}

void LoadSettings(Profile& profile, const std::string& settingsFile, Choices& choices,
                  DriveList& drives) {
  WithProfileReleased(profile, settingsFile, [&] {
    SelectStoredDrive(profile, settingsFile, kDriveSection, kDriveKey, drives);
    for (const ChoiceDef& c : kChoices) {
      if (c.key.empty()) continue;
      const std::int32_t value = ReadProfileInt(profile, settingsFile, std::string(c.section),
                                                std::string(c.key), choices[c.id] ? 1 : 0);
      choices.Set(c.id, value != 0);
    }
  });
}

void SaveSettings(Profile& profile, const std::string& settingsFile, const Choices& choices,
                  const DriveList& drives) {
  WithProfileReleased(profile, settingsFile, [&] {
    profile.WriteString(settingsFile, kDriveSection, kDriveKey, FirstWord(drives.SelectedLine()));
    for (const ChoiceDef& c : kChoices) {
      if (c.key.empty()) continue;
      profile.WriteString(settingsFile, std::string(c.section), std::string(c.key),
                          choices[c.id] ? "1" : "0");
    }
  });
}

}  // namespace setup
