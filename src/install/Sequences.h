// The program's two sequences: the startup sequence run from the main window's first timer
// tick, and the setup sequence run by the Setup button. Both reach the windows only through
// Questions, so every step order and failure path runs natively against a scripted fake.
#pragma once

#include <span>
#include <string>

#include "archive/resfile.h"
#include "install/Questions.h"
#include "language/SplitML.h"

namespace setup {

inline constexpr char kAppTitle[] = "Setup Skylarch Version 0.6";

// Localisation orders. The main window's rom boxes are not cut in the order they stand.
inline constexpr Ctl kMainLocalised[] = {
    Ctl::Label2,      Ctl::GroupBox1,          Ctl::confGlobalINIChk,
    Ctl::confFontChk, Ctl::confSaveNameTxtChk, Ctl::confSkinChk,
    Ctl::confSEChk,   Ctl::GroupBox3,          Ctl::romMPCFChk,
    Ctl::romSCCFChk,  Ctl::romSCSDChk,         Ctl::romM3CFChk,
    Ctl::romM3SDChk,  Ctl::romEZSDChk,         Ctl::romMMCFChk,
    Ctl::romSCMSChk,  Ctl::romEWSDChk,         Ctl::romNMMCChk,
    Ctl::romNJSDChk,  Ctl::sysExistBackupChk,  Ctl::SetupBtn,
    Ctl::CancelBtn,
};
inline constexpr Ctl kSelDrvLocalised[] = {Ctl::Label1, Ctl::ToolChk, Ctl::ExtractBtn};
inline constexpr Ctl kSetuppedLocalised[] = {Ctl::Msg1Lbl, Ctl::OpenGlobalINIChk};

struct Services {
  FileSystem& fs;
  Profile& profile;
  Volumes& volumes;
  Processes& processes;
  Module& module;
  Ui& ui;
};

// The values that live for the whole run.
struct RunValues {
  std::string startPath;        // the executable's folder with its trailing "\"
  std::string chosenDriveRoot;  // "E:\", set by the startup sequence
  std::string targetRoot;       // set by the setup sequence
  std::string LogPath;
  std::string settingsPath;
};

class Sequences {
 public:
  Sequences(const Services& services, Questions& questions);

  // The main window's creation: title, run-wide paths, the previous log deleted.
  void FormCreate();
  // The drive dialog's creation: the drives A to Z are queried once.
  void SelDrvFormCreate();
  void StartupTimerTimer();
  void SetupBtnClick();
  void CancelBtnClick();

  const RunValues& Run() const { return run_; }

 private:
  void Localise(std::span<const Ctl> order);
  Services services_;
  Questions& questions_;
  RunValues run_;
  SplitML language_;
  ResFile catalogue_;
  DriveList drives_;
  Choices choices_;
};

}  // namespace setup
