// The startup and setup sequences driven through a scripted set of screens.
#include "install/Sequences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "FakePlatform.h"
#include "ScriptedScreens.h"
#include "TestArchive.h"

namespace setup {
namespace {

using test::FakeScreens;

constexpr char kIni[] = "C:\\Tools\\Setup.ini";
constexpr char kLog[] = "C:\\Tools\\Setup.log";

class SequencesTest : public ::testing::Test {
 protected:
  SequencesTest() {
    module.resources["SETUPDATA"] = test::StandinArchive();
    fs.PutFolder("C:\\Tools");
    processes.env["ComSpec"] = "C:\\WINDOWS\\system32\\cmd.exe";
  }

  void StoreLanguage(const std::string& value) {
    profile.WriteString(kIni, "system", "isJP", value);
    profile.journal.clear();
  }
  // Program start up to the end of the startup sequence.
  void Start() {
    seq.FormCreate();
    seq.StartupTimerTimer();
  }
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    const std::string text = fs.Text(kLog);
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos;
         at = end + 2) {
      lines.push_back(text.substr(at, end - at));
    }
    return lines;
  }

  fake::FakeFileSystem fs;
  fake::FakeProfile profile;
  fake::FakeProcesses processes;
  fake::FakeModule module;
  fake::FakeUi ui;
  FakeScreens screens;
  Sequences seq{Services{fs, profile, processes, module, ui}, screens};
};

std::vector<std::string> MainOrder() {
  return {"Label2",      "GroupBox1",  "confGlobalINIChk", "confFontChk", "confSaveNameTxtChk",
          "confSkinChk", "confSEChk",  "GroupBox3",        "romMPCFChk",  "romSCCFChk",
          "romSCSDChk",  "romM3CFChk", "romM3SDChk",       "romEZSDChk",  "romMMCFChk",
          "romSCMSChk",  "romEWSDChk", "romNMMCChk",       "romNJSDChk",  "sysExistBackupChk",
          "SetupBtn",    "CancelBtn",  "Label1",           "ToolChk",     "ExtractBtn"};
}

TEST_F(SequencesTest, FormCreateSetsThePathsDeletesTheOldLogAndArmsTheTimer) {
  fs.PutFile(kLog, "old run\r\n");
  seq.FormCreate();
  EXPECT_EQ(screens.mainCaption, "Setup Skylarch Version 0.6");
  EXPECT_EQ(seq.startPath, "C:\\Tools\\");
  EXPECT_EQ(seq.LogPath, kLog);
  EXPECT_EQ(seq.settingsPath, kIni);
  EXPECT_EQ(seq.targetRoot, "");
  EXPECT_FALSE(fs.FileExists(kLog));
  EXPECT_TRUE(screens.timerEnabled);
  EXPECT_FALSE(screens.setupEnabled);
}

TEST_F(SequencesTest, StoredLanguageSkipsTheDialogAndRunsEveryStepInOrder) {
  StoreLanguage("1");
  screens.onDrive = [&] {
    screens.drives.selected = 1;
    screens.position = {700, 600};  // the user dragged the main window meanwhile
    return true;
  };
  Start();

  std::vector<std::string> expected = {"timer on", "timer off"};
  for (const auto& name : MainOrder()) {
    if (name == "Label1") {
      expected.insert(expected.end(), {"show loading Label2-ja", "max 40", "at 0", "at 16", "at 32",
                                       "hide loading"});
    }
    expected.push_back("localise " + name);
  }
  expected.push_back("drive dialog Setup Skylarch Version 0.6 Label1-ja");
  expected.push_back("move 100,50");
  EXPECT_EQ(screens.events, expected);

  EXPECT_EQ(screens.controls[Ctl::romNJSDChk].caption, "romNJSDChk-ja");
  EXPECT_EQ(screens.controls[Ctl::Msg1Lbl].caption, "Msg1Lbl|Msg1Lbl-ja");  // not yet used
  EXPECT_EQ(screens.targetDriveLabel, "TargetDrive E:\\ Removable [CARD]");
  EXPECT_EQ(seq.chosenDriveRoot, "E:\\");
  EXPECT_EQ(seq.targetRoot, "");
  EXPECT_EQ(seq.catalogue.ResFileCount, 40);
  EXPECT_TRUE(screens.setupEnabled);
  EXPECT_EQ(ui.endRequests, 0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SequencesTest, LanguageDialogAppearsOnlyWithoutAUsableStoredChoice) {
  const struct {
    const char* stored;  // nullptr: no settings file
    bool dialog;
  } cases[] = {{nullptr, true}, {"2", true},  {"7", true},
               {"yes", true},   {"0", false}, {"1", false}};
  for (const auto& c : cases) {
    fake::FakeProfile p;
    if (c.stored) p.WriteString(kIni, "system", "isJP", c.stored);
    FakeScreens s;
    s.onLanguage = [&] { return false; };
    fake::FakeUi u;
    Sequences q{Services{fs, p, processes, module, u}, s};
    q.StartupTimerTimer();
    EXPECT_EQ(!s.Only("language dialog").empty(), c.dialog) << (c.stored ? c.stored : "none");
  }
}

TEST_F(SequencesTest, LanguageChosenInTheDialogAppliesAndIsStoredOnlyWhenAsked) {
  screens.onLanguage = [&] {
    seq.LanguageChosen(false, true, true);
    return true;
  };
  Start();
  EXPECT_EQ(screens.controls[Ctl::SetupBtn].caption, "SetupBtn-ja");
  EXPECT_EQ(profile.ReadString(kIni, "system", "isJP", ""), "1");

  fake::FakeProfile p2;
  FakeScreens s2;
  fake::FakeUi u2;
  Sequences q2{Services{fs, p2, processes, module, u2}, s2};
  s2.onLanguage = [&] {
    q2.LanguageChosen(true, false, false);
    return true;
  };
  q2.FormCreate();
  q2.StartupTimerTimer();
  EXPECT_EQ(s2.controls[Ctl::SetupBtn].caption, "SetupBtn");
  EXPECT_FALSE(p2.Exists(kIni));
}

TEST_F(SequencesTest, NegativeStoredLanguageEndsTheProgramAfterTheRemainingSteps) {
  StoreLanguage("-1");
  bool driveDialogOpened = false;
  screens.onDrive = [&] { return driveDialogOpened = true; };
  Start();
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.front(), "FatalError: MLType=-1 is not defined.");
  EXPECT_TRUE(screens.Only("language dialog").empty());
  EXPECT_EQ(screens.controls[Ctl::Label2].caption, "");
  EXPECT_EQ(seq.catalogue.ResFileCount, 40);  // the load still ran
  EXPECT_FALSE(driveDialogOpened);
  EXPECT_TRUE(ui.EndRequested());
  EXPECT_FALSE(screens.setupEnabled);
  EXPECT_EQ(screens.targetDriveLabel, "");
}

TEST_F(SequencesTest, CancelInEitherDialogEndsWithNothingWritten) {
  for (const bool inLanguageDialog : {true, false}) {
    fake::FakeFileSystem f;
    fake::FakeProfile p;
    fake::FakeUi u;
    FakeScreens s;
    if (!inLanguageDialog) p.WriteString(kIni, "system", "isJP", "0");
    p.journal.clear();
    s.onDrive = [] { return false; };
    Sequences q{Services{f, p, processes, module, u}, s};
    q.FormCreate();
    q.StartupTimerTimer();
    q.SetupBtnClick();  // Setup stays disabled; a click that slipped through does nothing
    EXPECT_TRUE(u.EndRequested());
    EXPECT_FALSE(s.setupEnabled);
    EXPECT_EQ(s.targetDriveLabel, inLanguageDialog ? "TargetDriveLbl" : "");
    EXPECT_EQ(f.journal, std::vector<std::string>{"delete C:\\Tools\\Setup.log"});
    EXPECT_TRUE(p.journal.empty());
    if (inLanguageDialog) {
      EXPECT_TRUE(s.Only("localise").empty());
      EXPECT_TRUE(s.Only("show loading").empty());
      EXPECT_EQ(q.catalogue.ResFileCount, 0);
    }
  }
}

TEST_F(SequencesTest, DeveloperExtractionWritesEveryEntryAndEndsWithoutInstalling) {
  StoreLanguage("0");
  screens.onDrive = [&] {
    screens.extractPath = "D:\\work\\";
    return true;
  };
  Start();
  EXPECT_EQ(fs.FilesUnder("D:\\work\\").size(), 40u);
  EXPECT_EQ(fs.Get("D:\\work\\_BOOT_MP.nds"), test::StandinEntry("_BOOT_MP.nds"));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Extracted. [D:\\work\\]"});
  EXPECT_TRUE(ui.EndRequested());
  EXPECT_EQ(screens.targetDriveLabel, "");
  EXPECT_TRUE(screens.Only("move").empty());
  EXPECT_TRUE(fs.FilesUnder("C:\\").empty());
  EXPECT_FALSE(fs.FileExists(kIni));
}

TEST_F(SequencesTest, ArchiveThatFailsToLoadHidesTheLoadingWindowAndLeavesSetupDisabled) {
  StoreLanguage("0");
  for (const bool missing : {true, false}) {
    FakeScreens s;
    fake::FakeUi u;
    if (missing) {
      module.resources.clear();
    } else {
      module.resources["SETUPDATA"] = Bytes{0x05, 0, 0, 0, 1, 2};  // five entries, no header
    }
    Sequences q{Services{fs, profile, processes, module, u}, s};
    q.FormCreate();
    EXPECT_THROW(q.StartupTimerTimer(), Error);
    const auto loading = s.Only("show loading");
    EXPECT_EQ(loading.size(), 1u);
    EXPECT_EQ(s.events.back(), "hide loading");
    EXPECT_FALSE(s.setupEnabled);
    q.SetupBtnClick();
    EXPECT_FALSE(fs.FileExists(kLog));
    EXPECT_FALSE(u.EndRequested());
  }
}

TEST_F(SequencesTest, NoDriveInTheListLeavesSetupDisabledAndUnable) {
  StoreLanguage("0");
  screens.drives.lines.clear();
  screens.drives.selected = -1;
  Start();
  EXPECT_EQ(screens.targetDriveLabel, "TargetDrive ");
  EXPECT_EQ(seq.chosenDriveRoot, "");
  EXPECT_FALSE(screens.setupEnabled);
  seq.SetupBtnClick();
  EXPECT_FALSE(fs.FileExists(kLog));
  EXPECT_EQ(seq.targetRoot, "");
}

class SetupTest : public SequencesTest {
 protected:
  void SetUp() override {
    StoreLanguage("0");
    screens.drives.selected = 1;
    Start();
    ASSERT_EQ(seq.chosenDriveRoot, "E:\\");
  }
};

TEST_F(SetupTest, CompleteSetupInstallsShowsTheDialogOpensGlobalIniSavesAndEnds) {
  bool endedBeforeDialog = true;
  screens.onCompletion = [&] { endedBeforeDialog = ui.EndRequested(); };
  seq.SetupBtnClick();

  const auto log = LogLines();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], "StartPath=C:\\Tools\\");
  EXPECT_EQ(log[1], "TargetPath=E:\\");
  EXPECT_EQ(log[2], "TargetInfo=E:\\ Removable [CARD]");
  EXPECT_EQ(screens.caption.caption, log.back());
  EXPECT_EQ(fs.Get("E:\\SkylarchMakeIcon.exe"), test::StandinEntry("SkylarchMakeIcon.exe"));
  EXPECT_TRUE(fs.FolderExists("E:\\Skylarch\\banner"));
  EXPECT_TRUE(fs.FileExists("E:\\Skylarch\\global.ini"));
  // The eight default ROM images.
  EXPECT_EQ(fs.FilesUnder("E:\\Skylarch_").size(), 7u);
  EXPECT_TRUE(fs.FileExists("E:\\_BOOT_MP.nds"));

  EXPECT_EQ(screens.Only("completion dialog "),
            std::vector<std::string>{"Setup Skylarch Version 0.6 Msg1Lbl"});
  EXPECT_EQ(screens.controls[Ctl::OpenGlobalINIChk].caption, "OpenGlobalINIChk");
  EXPECT_FALSE(endedBeforeDialog);
  ASSERT_EQ(processes.started.size(), 1u);
  EXPECT_EQ(processes.started[0].folder, "E:\\Skylarch");
  EXPECT_EQ(processes.started[0].commandLine,
            "C:\\WINDOWS\\system32\\cmd.exe /c \"\"notepad.exe\" \"global.ini\"\"");
  EXPECT_EQ(profile.ReadString(kIni, "system", "TargetDrive", ""), "E:\\");
  EXPECT_EQ(ui.endRequests, 1);

  // A click queued while the sequence ran arrives after the end request: nothing runs again.
  seq.SetupBtnClick();
  EXPECT_EQ(LogLines().size(), log.size());
  EXPECT_EQ(ui.endRequests, 1);
}

TEST_F(SetupTest, OpenGlobalIniUntickedInTheDialogStartsNothingAndIsStored) {
  screens.onCompletion = [&] { screens.checks.SetChecked(Check::OpenGlobalINIChk, false); };
  seq.SetupBtnClick();
  EXPECT_TRUE(processes.started.empty());
  EXPECT_EQ(profile.ReadString(kIni, "system", "OpenGlobalINI", ""), "0");
  EXPECT_TRUE(ui.EndRequested());
}

// Setup pressed again after a failure: what the first attempt installed is not backed up over
// the user's bytes, which its .bak already holds.
TEST_F(SetupTest, FailedStepLeavesTheProgramRunningAndSetupAgainKeepsTheUsersBackups) {
  fs.PutFile("E:\\Skylarch\\global.ini", "the user's own");
  fs.SetFreeSpace(700'000);  // the card fills up part way through the ROM images
  EXPECT_THROW(seq.SetupBtnClick(), Error);
  EXPECT_FALSE(ui.EndRequested());
  EXPECT_TRUE(screens.Only("completion dialog").empty());
  EXPECT_EQ(profile.ReadString(kIni, "system", "TargetDrive", "none"), "none");
  const auto firstRun = LogLines();
  EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "the user's own");

  fs.SetFreeSpace(100'000'000);
  seq.SetupBtnClick();
  const auto log = LogLines();
  ASSERT_GT(log.size(), firstRun.size());
  EXPECT_TRUE(std::equal(firstRun.begin(), firstRun.end(), log.begin()));
  EXPECT_EQ(log[firstRun.size()], "StartPath=C:\\Tools\\");
  EXPECT_EQ(log[firstRun.size() + 3],
            "copy \"Skylarch\\global.ini\" to \"E:\\Skylarch\\global.ini\"");
  EXPECT_EQ(std::count_if(log.begin() + static_cast<std::ptrdiff_t>(firstRun.size()), log.end(),
                          [](const std::string& l) { return l.starts_with("Create backup"); }),
            0);
  EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "the user's own");
  EXPECT_EQ(fs.Get("E:\\Skylarch\\global.ini"), test::StandinEntry("Skylarch\\global.ini"));
  EXPECT_EQ(screens.Only("completion dialog").size(), 1u);
  EXPECT_TRUE(ui.EndRequested());
}

TEST_F(SetupTest, SettingsThatCannotBeSavedLeaveASecondPressToCutTheDialogAgain) {
  profile.readOnly.insert(kIni);
  EXPECT_THROW(seq.SetupBtnClick(), Error);
  EXPECT_EQ(screens.Only("completion dialog").size(), 1u);
  EXPECT_FALSE(ui.EndRequested());

  profile.readOnly.clear();
  seq.SetupBtnClick();
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.front(), "FatalError: GetMLStr(Msg1Lbl); is not sepchar.");
  EXPECT_EQ(screens.controls[Ctl::Msg1Lbl].caption, "");
  // The end was requested, so the dialog is not shown again; the rest still runs.
  EXPECT_EQ(screens.Only("completion dialog").size(), 1u);
  EXPECT_EQ(profile.ReadString(kIni, "system", "TargetDrive", ""), "E:\\");
  EXPECT_TRUE(ui.EndRequested());
}

TEST_F(SequencesTest, CancelRequestsTheEndAndWritesNothing) {
  StoreLanguage("0");
  Start();
  fs.journal.clear();
  seq.CancelBtnClick();
  EXPECT_TRUE(ui.EndRequested());
  EXPECT_TRUE(fs.journal.empty());
  EXPECT_TRUE(profile.journal.empty());
}

}  // namespace
}  // namespace setup
