// The settings file beside the executable: the stored drive and the ticks.
#pragma once

#include <string>

#include "install/Questions.h"
#include "platform/Platform.h"

namespace setup {

// The executable's path with its extension replaced by ".ini".
std::string SettingsPathFor(const std::string& exePath);

// The stored drive selects its line; every choice with a key takes its stored tick, in the
// order of the choices table.
void LoadSettings(Profile& profile, const std::string& settingsFile, Choices& choices,
                  DriveList& drives);
void SelectStoredDrive(Profile& profile, const std::string& settingsFile,
                       const std::string& section, const std::string& key, DriveList& drives);
void SaveSettings(Profile& profile, const std::string& settingsFile, const Choices& choices,
                  const DriveList& drives);

}  // namespace setup
