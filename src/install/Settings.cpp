#include "install/Settings.h"

#include "platform/Paths.h"
#include "platform/ProfileInt.h"
#include "target/DriveInfo.h"

namespace setup {

std::string SettingsPathFor(const std::string& exePath) {
  return ChangeFileExt(exePath, ".ini");
}

// No row for romNJSDChk: it is neither read nor written.
const std::array<SettingsKey, 17> kSettingsKeys = {{
    {"system", "ExistBackup", Check::sysExistBackupChk},
    {"system", "OpenGlobalINI", Check::OpenGlobalINIChk},
    {"configuration", "global.ini", Check::confGlobalINIChk},
    {"configuration", "font", Check::confFontChk},
    {"configuration", "savename.txt", Check::confSaveNameTxtChk},
    {"configuration", "Skin", Check::confSkinChk},
    {"configuration", "SE", Check::confSEChk},
    {"rom", "MPCF", Check::romMPCFChk},
    {"rom", "SCCF", Check::romSCCFChk},
    {"rom", "SCSD", Check::romSCSDChk},
    {"rom", "SCMS", Check::romSCMSChk},
    {"rom", "M3CF", Check::romM3CFChk},
    {"rom", "M3SD", Check::romM3SDChk},
    {"rom", "MMCF", Check::romMMCFChk},
    {"rom", "EZSD", Check::romEZSDChk},
    {"rom", "EWSD", Check::romEWSDChk},
    {"rom", "NMMC", Check::romNMMCChk},
}};

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
                       const std::string& section, const std::string& key,
                       DriveListView& driveList) {
  const std::string stored = FirstWord(profile.ReadString(settingsFile, section, key, ""));
  const auto lines = driveList.Lines();
  // No early exit: with several matching lines the last one wins.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (FirstWord(lines[i]) == stored) driveList.SetSelectedIndex(static_cast<int>(i));
  }
}

void LoadSettings(Profile& profile, const std::string& settingsFile, CheckBoxes& checks,
                  DriveListView& driveList) {
  WithProfileReleased(profile, settingsFile, [&] {
    SelectStoredDrive(profile, settingsFile, kDriveSection, kDriveKey, driveList);
    for (const auto& k : kSettingsKeys) {
      const std::int32_t current = checks.IsChecked(k.check) ? 1 : 0;
      const std::int32_t value = ReadProfileInt(profile, settingsFile, std::string(k.section),
                                                std::string(k.key), current);
      checks.SetChecked(k.check, value != 0);
    }
  });
}

void SaveSettings(Profile& profile, const std::string& settingsFile, const CheckBoxes& checks,
                  const DriveListView& driveList) {
  WithProfileReleased(profile, settingsFile, [&] {
    profile.WriteString(settingsFile, kDriveSection, kDriveKey, FirstWord(SelectedLine(driveList)));
    for (const auto& k : kSettingsKeys) {
      profile.WriteString(settingsFile, std::string(k.section), std::string(k.key),
                          checks.IsChecked(k.check) ? "1" : "0");
    }
  });
}

}  // namespace setup
