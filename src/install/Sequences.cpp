#include "install/Sequences.h"

#include "archive/extract.h"
#include "install/FileInstall.h"
#include "install/RomBuilder.h"
#include "install/Settings.h"
#include "install/SetupLog.h"
#include "install/dosbox.h"
#include "platform/Paths.h"
#include "target/DriveInfo.h"

namespace setup {

namespace {
constexpr std::string_view kCtlNames[] = {
    "Label2",      "GroupBox1",        "confGlobalINIChk", "confFontChk", "confSaveNameTxtChk",
    "confSkinChk", "confSEChk",        "GroupBox3",        "romMPCFChk",  "romSCCFChk",
    "romSCSDChk",  "romSCMSChk",       "romM3CFChk",       "romM3SDChk",  "romMMCFChk",
    "romEZSDChk",  "romEWSDChk",       "romNMMCChk",       "romNJSDChk",  "sysExistBackupChk",
    "SetupBtn",    "CancelBtn",        "Label1",           "ToolChk",     "ExtractBtn",
    "Msg1Lbl",     "OpenGlobalINIChk",
};
static_assert(std::size(kCtlNames) == static_cast<int>(Ctl::OpenGlobalINIChk) + 1);

constexpr char kArchiveResource[] = "setupdata";
}  // namespace

std::string_view CtlName(Ctl ctl) {
  return kCtlNames[static_cast<int>(ctl)];
}

Sequences::Sequences(const Services& services, Screens& screens)
    : settingsPath(SettingsPathFor(services.module.ExePath())),
      language(services.profile, services.ui, settingsPath),
      services_(services),
      screens_(screens) {}

void Sequences::FormCreate() {
  screens_.SetMainCaption(kAppTitle);
  const std::string exe = services_.module.ExePath();
  startPath = ExtractFilePath(exe);
  targetRoot.clear();
  LogPath = LogPathFor(exe);
  services_.fs.DeleteFile(LogPath);
  // Until the startup sequence has chosen a drive there is no target root to install under.
  screens_.EnableSetup(false);
  screens_.EnableStartupTimer(true);
}

void Sequences::Localise(std::span<const Ctl> order) {
  for (const Ctl ctl : order) language.SetMLCaption(screens_.Control(ctl));
}

bool Sequences::RunModal(bool (Screens::*run)()) {
  // After an end request a modal window closes at once with Cancel; not opening it is the same.
  if (services_.ui.EndRequested()) return false;
  return (screens_.*run)();
}

void Sequences::StartupTimerTimer() {
  screens_.EnableStartupTimer(false);
  if (!language.IsMLTypeSet() && !RunModal(&Screens::RunLanguageDialog)) {
    services_.ui.RequestEnd();
    return;
  }
  Localise(kMainLocalised);

  screens_.ShowLoading();
  try {
    catalogue.LoadResData(services_.module.Resource(kArchiveResource), kArchiveResource,
                          &screens_.Progress());
  } catch (...) {
    screens_.HideLoading();
    throw;
  }
  screens_.HideLoading();

  const Screens::Point position = screens_.MainPosition();
  LoadSettings(services_.profile, settingsPath, screens_.Checks(), screens_.DriveList());
  screens_.SetTargetDriveLabel("");
  screens_.SetDialogTitle(Dialog::SelDrv, kAppTitle);
  Localise(kSelDrvLocalised);
  if (!RunModal(&Screens::RunDriveDialog)) {
    services_.ui.RequestEnd();
    return;
  }
  const std::string extractPath = screens_.ExtractPath();
  if (!extractPath.empty()) {
    ExtractAll(catalogue, services_.fs, services_.ui, extractPath);
    services_.ui.RequestEnd();
    return;
  }
  const std::string line = SelectedLine(screens_.DriveList());
  screens_.SetTargetDriveLabel("TargetDrive " + line);
  chosenDriveRoot = FirstWord(line);
  screens_.MoveMain(position);
  screens_.EnableSetup(!chosenDriveRoot.empty());
}

void Sequences::SetupBtnClick() {
  // No drive chosen means no target root to anchor the paths; after an end request a click
  // still queued from before must not start the installation again.
  if (chosenDriveRoot.empty() || services_.ui.EndRequested()) return;
  targetRoot = chosenDriveRoot;
  SetupLog log(services_.fs, screens_.Caption(), LogPath);
  log.WriteLog("StartPath=" + startPath);
  log.WriteLog("TargetPath=" + targetRoot);
  log.WriteLog("TargetInfo=" + SelectedLine(screens_.DriveList()));

  CheckBoxes& checks = screens_.Checks();
  InstallContext ctx{services_.fs, catalogue,  services_.ui,     checks,
                     log,          targetRoot, &installedThisRun};
  CopyConfFiles(ctx);
  CreateROMImages(ctx);
  CopyResFile(ctx, "", targetRoot, "SkylarchMakeIcon.exe");
  services_.fs.CreateFolders(targetRoot + "Skylarch\\banner\\");

  screens_.SetDialogTitle(Dialog::Setupped, kAppTitle);
  Localise(kSetuppedLocalised);
  if (!services_.ui.EndRequested()) screens_.RunCompletionDialog();
  if (checks.IsChecked(Check::OpenGlobalINIChk)) {
    ExecDosCommand(services_.processes, services_.ui, false, targetRoot + "Skylarch",
                   "\"notepad.exe\" \"global.ini\"");
  }
  SaveSettings(services_.profile, settingsPath, checks, screens_.DriveList());
  services_.ui.RequestEnd();
}

void Sequences::CancelBtnClick() {
  services_.ui.RequestEnd();
}

void Sequences::LanguageChosen(bool english, bool japanese, bool save) {
  if (english) language.SetMLType(0);
  if (japanese) language.SetMLType(1);
  if (save) language.StoreMLType();
}

}  // namespace setup
