// The eighteen choices of a setup (the main window's seventeen check boxes and the completion
// dialog's OpenGlobalINIChk), defined once, in the order of the settings file, and the other
// controls the sequences name. The windows' rows, the settings file, the ROM table, the
// configuration groups, the fakes and the tests refer to them by id.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace setup {

// X(id, settings section, key, ticked, enabled). The id is the control's name; a choice with no
// key is never read or written.
#define SETUP_CHOICES(X)                                             \
  X(sysExistBackupChk, "system", "ExistBackup", true, true)          \
  X(OpenGlobalINIChk, "system", "OpenGlobalINI", true, true)         \
  X(confGlobalINIChk, "configuration", "global.ini", true, true)     \
  X(confFontChk, "configuration", "font", true, true)                \
  X(confSaveNameTxtChk, "configuration", "savename.txt", true, true) \
  X(confSkinChk, "configuration", "Skin", true, true)                \
  X(confSEChk, "configuration", "SE", true, true)                    \
  X(romMPCFChk, "rom", "MPCF", true, true)                           \
  X(romSCCFChk, "rom", "SCCF", true, true)                           \
  X(romSCSDChk, "rom", "SCSD", true, true)                           \
  X(romSCMSChk, "rom", "SCMS", true, true)                           \
  X(romM3CFChk, "rom", "M3CF", true, true)                           \
  X(romM3SDChk, "rom", "M3SD", true, true)                           \
  X(romMMCFChk, "rom", "MMCF", true, true)                           \
  X(romEZSDChk, "rom", "EZSD", false, true)                          \
  X(romEWSDChk, "rom", "EWSD", true, true)                           \
  X(romNMMCChk, "rom", "NMMC", false, false)                         \
  X(romNJSDChk, "", "", false, false)

// X(id): the other controls whose captions the sequences set or cut. Label1 is the drive
// dialog's.
#define SETUP_CONTROLS(X) \
  X(Label2)               \
  X(GroupBox1)            \
  X(GroupBox3)            \
  X(TargetDriveLbl)       \
  X(SetupBtn)             \
  X(CancelBtn)            \
  X(Label1)               \
  X(ToolChk)              \
  X(ExtractBtn)           \
  X(Msg1Lbl)

#define SETUP_ID(id, ...) id,
enum class Check : int { SETUP_CHOICES(SETUP_ID) };
// Every control the core names: the choices first, with the same numbers.
enum class Ctl : int { SETUP_CHOICES(SETUP_ID) SETUP_CONTROLS(SETUP_ID) };
#undef SETUP_ID

struct ChoiceDef {
  Check id;
  std::string_view name;
  std::string_view section;
  std::string_view key;  // empty: not stored
  bool ticked;           // when the window is created
  bool enabled;
};

#define SETUP_CHOICE_ROW(id, section, key, ticked, enabled) \
  ChoiceDef{Check::id, #id, section, key, ticked, enabled},
inline constexpr std::array kChoices = {SETUP_CHOICES(SETUP_CHOICE_ROW)};
#undef SETUP_CHOICE_ROW
inline constexpr int kCheckCount = static_cast<int>(kChoices.size());

#define SETUP_NAME(id, ...) #id,
inline constexpr std::array<std::string_view, static_cast<int>(Ctl::Msg1Lbl) + 1> kCtlNames = {
    SETUP_CHOICES(SETUP_NAME) SETUP_CONTROLS(SETUP_NAME)};
#undef SETUP_NAME

constexpr const ChoiceDef& ChoiceOf(Check id) {
  return kChoices[static_cast<std::size_t>(id)];
}
constexpr Ctl ControlOf(Check id) {
  return static_cast<Ctl>(id);
}
// The control's name inside its window.
constexpr std::string_view CtlName(Ctl ctl) {
  return kCtlNames[static_cast<std::size_t>(ctl)];
}

// The ticks of all eighteen choices, by id.
class Choices {
 public:
  // As the windows are created.
  constexpr Choices() {
    for (const auto& c : kChoices) ticks_[static_cast<std::size_t>(c.id)] = c.ticked;
  }
  constexpr bool operator[](Check id) const { return ticks_[static_cast<std::size_t>(id)]; }
  constexpr void Set(Check id, bool ticked) { ticks_[static_cast<std::size_t>(id)] = ticked; }
  constexpr bool operator==(const Choices&) const = default;

 private:
  std::array<bool, kChoices.size()> ticks_{};
};

}  // namespace setup
