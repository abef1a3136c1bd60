// The program's two sequences: the startup sequence run from the main window's first timer
// tick, and the setup sequence run by the Setup button. Both talk to the windows only through
// Screens, so every step order and failure path runs natively against a scripted fake.
#pragma once

#include <array>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "archive/resfile.h"
#include "install/Views.h"
#include "language/SplitML.h"

namespace setup {

inline constexpr char kAppTitle[] = "Setup Skylarch Version 0.6";

// Every control whose bilingual caption is cut to the chosen language.
enum class Ctl : int {
  // main window
  Label2,
  GroupBox1,
  confGlobalINIChk,
  confFontChk,
  confSaveNameTxtChk,
  confSkinChk,
  confSEChk,
  GroupBox3,
  romMPCFChk,
  romSCCFChk,
  romSCSDChk,
  romSCMSChk,
  romM3CFChk,
  romM3SDChk,
  romMMCFChk,
  romEZSDChk,
  romEWSDChk,
  romNMMCChk,
  romNJSDChk,
  sysExistBackupChk,
  SetupBtn,
  CancelBtn,
  // drive dialog
  SelDrvLabel1,
  ToolChk,
  ExtractBtn,
  // completion dialog
  Msg1Lbl,
  OpenGlobalINIChk,
};

// The control's name inside its window.
std::string_view CtlName(Ctl ctl);

// Localisation orders. The main window's rom boxes are not cut in the order they stand.
inline constexpr std::array kMainLocalised = {
    Ctl::Label2,      Ctl::GroupBox1,          Ctl::confGlobalINIChk,
    Ctl::confFontChk, Ctl::confSaveNameTxtChk, Ctl::confSkinChk,
    Ctl::confSEChk,   Ctl::GroupBox3,          Ctl::romMPCFChk,
    Ctl::romSCCFChk,  Ctl::romSCSDChk,         Ctl::romM3CFChk,
    Ctl::romM3SDChk,  Ctl::romEZSDChk,         Ctl::romMMCFChk,
    Ctl::romSCMSChk,  Ctl::romEWSDChk,         Ctl::romNMMCChk,
    Ctl::romNJSDChk,  Ctl::sysExistBackupChk,  Ctl::SetupBtn,
    Ctl::CancelBtn,
};
inline constexpr std::array kSelDrvLocalised = {Ctl::SelDrvLabel1, Ctl::ToolChk, Ctl::ExtractBtn};
inline constexpr std::array kSetuppedLocalised = {Ctl::Msg1Lbl, Ctl::OpenGlobalINIChk};

// The dialogs whose title the sequences set.
enum class Dialog { SelDrv, Setupped };

// What the sequences ask of the five windows.
class Screens {
 public:
  virtual ~Screens() = default;
  virtual void SetMainCaption(const std::string& caption) = 0;
  virtual void EnableStartupTimer(bool enabled) = 0;
  // Modal runs; true for the OK result. Not called after an end request.
  virtual bool RunLanguageDialog() = 0;
  virtual bool RunDriveDialog() = 0;
  virtual void RunCompletionDialog() = 0;
  // Visible and repainted at once.
  virtual void ShowLoading() = 0;
  virtual void HideLoading() = 0;
  virtual LoadProgress& Progress() = 0;
  struct Point {
    int left = 0, top = 0;
  };
  virtual Point MainPosition() = 0;
  virtual void MoveMain(Point to) = 0;
  virtual CaptionControl& Control(Ctl ctl) = 0;
  virtual void SetDialogTitle(Dialog dialog, const std::string& title) = 0;
  virtual void SetTargetDriveLabel(const std::string& caption) = 0;
  virtual void EnableSetup(bool enabled) = 0;
  // The drive dialog's developer folder, "" when unused.
  virtual std::string ExtractPath() = 0;
  virtual DriveListView& DriveList() = 0;
  // The main window's boxes and the completion dialog's OpenGlobalINIChk.
  virtual CheckBoxes& Checks() = 0;
  virtual MainCaption& Caption() = 0;
};

struct Services {
  FileSystem& fs;
  Profile& profile;
  Processes& processes;
  Module& module;
  Ui& ui;
};

class Sequences {
 public:
  Sequences(const Services& services, Screens& screens);

  // The main window's creation: title, run-wide paths, the previous log deleted, timer on.
  void FormCreate();
  void StartupTimerTimer();
  void SetupBtnClick();
  void CancelBtnClick();
  // The language dialog's OK: the state of its two radio buttons and of SaveChk.
  void LanguageChosen(bool english, bool japanese, bool save);

  // Run-wide values.
  std::string startPath;
  std::string chosenDriveRoot;
  std::string targetRoot;
  std::string LogPath;
  std::string settingsPath;

  ResFile catalogue;
  SplitML language;
  // Files a setup of this run has installed, kept across a failed attempt and the next one.
  std::set<std::string> installedThisRun;

 private:
  void Localise(std::span<const Ctl> order);
  bool RunModal(bool (Screens::*run)());
  Services services_;
  Screens& screens_;
};

}  // namespace setup
