#include "install/Sequences.h"

#include "archive/extract.h"
#include "install/Installation.h"
#include "install/Settings.h"
#include "install/SetupLog.h"
#include "install/dosbox.h"
#include "platform/Paths.h"
#include "target/DriveInfo.h"

namespace setup {

namespace {

constexpr char kArchiveResource[] = "setupdata";

// One control's caption as the language cutting sees it.
class ControlCaption : public CaptionControl {
 public:
  ControlCaption(Questions& questions, Ctl ctl) : questions_(questions), ctl_(ctl) {}
  std::string GetCaption() const override { return questions_.Caption(ctl_); }
  void SetCaption(const std::string& caption) override { questions_.SetCaption(ctl_, caption); }

 private:
  Questions& questions_;
  Ctl ctl_;
};

// Flash cartridges read FAT16 and FAT32 only, and SDXC cards come formatted exFAT: a setup there
// would complete and the cartridge would find nothing. Other names (NTFS is what Wine reports for
// every drive) and a failed query tell nothing.
bool CartridgeCannotRead(Volumes& volumes, const std::string& root) {
  const auto info = volumes.QueryVolume(root);
  return info && info->fileSystem == "exFAT";
}

std::string ExFatText(const std::string& root, bool japanese) {
  if (japanese) {
    return root +
           " は exFAT でフォーマットされています。"
           "フラッシュカートリッジが読めるのは FAT16 と FAT32 のカードだけなので、"
           "このセットアップが書き込むものはカートリッジからは見えません。"
           "先に FAT32 でフォーマットしてください。このままセットアップを続けますか？";
  }
  return root +
         " is formatted as exFAT. Flash cartridges read only FAT16 and FAT32 cards, so the "
         "cartridge will not find what this setup writes there. Format the card as FAT32 first. "
         "Continue the setup anyway?";
}

// What is known of the run before the main window is made.
RunValues ValuesFor(const std::string& exePath) {
  RunValues values;
  values.settingsPath = SettingsPathFor(exePath);
  return values;
}

}  // namespace

Sequences::Sequences(const Services& services, Questions& questions)
    : services_(services),
      questions_(questions),
      run_(ValuesFor(services.module.ExePath())),
      language_(services.profile, services.ui, run_.settingsPath) {}

void Sequences::FormCreate() {
  questions_.SetMainCaption(kAppTitle);
  const std::string exe = services_.module.ExePath();
  run_.startPath = ExtractFilePath(exe);
  run_.targetRoot.clear();
  run_.LogPath = LogPathFor(exe);
  services_.fs.DeleteFile(run_.LogPath);
  // Until the startup sequence has chosen a drive there is no target root to install under.
  questions_.EnableSetup(false);
}

void Sequences::SelDrvFormCreate() {
  drives_.lines = BuildDriveList(services_.volumes);
  drives_.selected = drives_.lines.empty() ? -1 : 0;
}

void Sequences::Localise(std::span<const Ctl> order) {
  for (const Ctl ctl : order) {
    ControlCaption caption(questions_, ctl);
    language_.SetMLCaption(caption);
  }
}

void Sequences::StartupTimerTimer() {
  Ui& ui = services_.ui;
  if (!language_.IsMLTypeSet()) {
    // After an end request a modal window closes at once with Cancel; not opening it is the same.
    const auto answer = ui.EndRequested() ? std::nullopt : questions_.AskLanguage();
    if (!answer) {
      ui.RequestEnd();
      return;
    }
    if (answer->english) language_.SetMLType(0);
    if (answer->japanese) language_.SetMLType(1);
    if (answer->save) language_.StoreMLType();
  }
  Localise(kMainLocalised);

  LoadProgress& progress = questions_.ShowLoading();
  try {
    catalogue_.LoadResData(services_.module.Resource(kArchiveResource), kArchiveResource,
                           &progress);
  } catch (...) {
    questions_.HideLoading();
    throw;
  }
  questions_.HideLoading();

  choices_ = questions_.ReadChoices();
  LoadSettings(services_.profile, run_.settingsPath, choices_, drives_);
  questions_.ShowChoices(choices_);
  questions_.SetCaption(Ctl::TargetDriveLbl, "");
  questions_.SetDialogTitle(Dialog::SelDrv, kAppTitle);
  Localise(kSelDrvLocalised);
  const DriveAnswer drive = ui.EndRequested() ? DriveAnswer{} : questions_.AskDrive(drives_);
  if (!drive.ok) {
    ui.RequestEnd();
    return;
  }
  drives_.selected = drive.selected;
  if (!drive.extractPath.empty()) {
    ExtractAll(catalogue_, services_.fs, ui, drive.extractPath);
    ui.RequestEnd();
    return;
  }
  const std::string line = drives_.SelectedLine();
  questions_.SetCaption(Ctl::TargetDriveLbl, "TargetDrive " + line);
  run_.chosenDriveRoot = FirstWord(line);
  questions_.EnableSetup(!run_.chosenDriveRoot.empty());
}

void Sequences::SetupBtnClick() {
  Ui& ui = services_.ui;
  // No drive chosen means no target root to anchor the paths; after an end request a click
  // still queued from before must not start the installation again.
  if (run_.chosenDriveRoot.empty() || ui.EndRequested()) return;
  run_.targetRoot = run_.chosenDriveRoot;
  choices_ = questions_.ReadChoices();
  SetupLog log(services_.fs, questions_, run_.LogPath);
  log.WriteLog("StartPath=" + run_.startPath);
  log.WriteLog("TargetPath=" + run_.targetRoot);
  log.WriteLog("TargetInfo=" + drives_.SelectedLine());
  if (CartridgeCannotRead(services_.volumes, run_.targetRoot) &&
      !questions_.AskContinueAnyway(ExFatText(run_.targetRoot, language_.MLType == 1))) {
    return;
  }

  // The writes are planned first: a card too small is refused before anything reaches it.
  const auto shortfall =
      InstallPlanned(services_.fs, log, ui, catalogue_, choices_, run_.targetRoot,
                     services_.volumes.QuerySpace(run_.targetRoot));
  if (shortfall) throw Error(NoRoomText(run_.targetRoot, *shortfall, language_.MLType == 1));

  questions_.SetDialogTitle(Dialog::Setupped, kAppTitle);
  Localise(kSetuppedLocalised);
  if (!ui.EndRequested()) choices_.Set(Check::OpenGlobalINIChk, questions_.AskCompletion());
  if (choices_[Check::OpenGlobalINIChk]) {
    ExecDosCommand(services_.processes, ui, false, run_.targetRoot + "Skylarch",
                   "\"notepad.exe\" \"global.ini\"");
  }
  SaveSettings(services_.profile, run_.settingsPath, choices_, drives_);
  ui.RequestEnd();
}

void Sequences::CancelBtnClick() {
  services_.ui.RequestEnd();
}

}  // namespace setup
