// The startup and setup sequences driven through a scripted set of windows.
#include "install/Sequences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "Expectation.h"
#include "FakePlatform.h"
#include "ScriptedQuestions.h"
#include "TestArchive.h"

namespace setup {
namespace {

using test::ScriptedQuestions;

constexpr char kIni[] = "C:\\Tools\\Setup.ini";
constexpr char kLog[] = "C:\\Tools\\Setup.log";

class SequencesTest : public ::testing::Test {
 protected:
  SequencesTest() {
    module.resources["SETUPDATA"] = test::StandinArchive();
    fs.PutFolder("C:\\Tools");
    processes.env["ComSpec"] = "C:\\WINDOWS\\system32\\cmd.exe";
    volumes.drives['C'] = {{"", 1, 255, 0, "NTFS"}, 3, true};
    volumes.drives['E'] = {{"CARD", 2, 255, 0, "FAT32"}, 2, true};
  }

  void StoreLanguage(const std::string& value) {
    profile.WriteString(kIni, "system", "isJP", value);
    profile.journal.clear();
  }
  // Program start up to the end of the startup sequence.
  void Start() {
    seq.FormCreate();
    seq.SelDrvFormCreate();
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
  fake::FakeVolumes volumes;
  ScriptedQuestions windows;
  Sequences seq{Services{fs, profile, volumes, processes, module, ui}, windows};
};

std::vector<std::string> MainOrder() {
  return {"Label2",      "GroupBox1",  "confGlobalINIChk", "confFontChk", "confSaveNameTxtChk",
          "confSkinChk", "confSEChk",  "GroupBox3",        "romMPCFChk",  "romSCCFChk",
          "romSCSDChk",  "romM3CFChk", "romM3SDChk",       "romEZSDChk",  "romMMCFChk",
          "romSCMSChk",  "romEWSDChk", "romNMMCChk",       "romNJSDChk",  "sysExistBackupChk",
          "SetupBtn",    "CancelBtn",  "Label1",           "ToolChk",     "ExtractBtn"};
}

// The window arms the timer; the core's part is to start nothing before its tick.
TEST_F(SequencesTest, FormCreateSetsThePathsDeletesTheOldLogAndLeavesTheRestToTheTimer) {
  fs.PutFile(kLog, "old run\r\n");
  seq.FormCreate();
  EXPECT_TRUE(windows.events.empty()) << windows.events.front();
  EXPECT_EQ(fs.journal, std::vector<std::string>{std::string("delete ") + kLog});
  EXPECT_EQ(windows.mainCaption, "Setup Skylarch Version 0.6");
  EXPECT_EQ(seq.Run().startPath, "C:\\Tools\\");
  EXPECT_EQ(seq.Run().LogPath, kLog);
  EXPECT_EQ(seq.Run().settingsPath, kIni);
  EXPECT_EQ(seq.Run().targetRoot, "");
  EXPECT_FALSE(fs.FileExists(kLog));
  EXPECT_FALSE(windows.setupEnabled);
}

TEST_F(SequencesTest, StoredLanguageSkipsTheDialogAndRunsEveryStepInOrder) {
  StoreLanguage("1");
  windows.onDrive = [](const DriveList&) { return DriveAnswer{true, 1, ""}; };
  Start();

  std::vector<std::string> expected;
  for (const auto& name : MainOrder()) {
    if (name == "Label1") {
      expected.insert(expected.end(), {"show loading Label2-ja", "max 40", "at 0", "at 16", "at 32",
                                       "hide loading", "show choices"});
    }
    expected.push_back("localise " + name);
  }
  expected.push_back("drive dialog Setup Skylarch Version 0.6 Label1-ja at 0");
  EXPECT_EQ(windows.events, expected);

  EXPECT_EQ(windows.captions[Ctl::romNJSDChk], "romNJSDChk-ja");
  EXPECT_EQ(windows.captions[Ctl::Msg1Lbl], "Msg1Lbl|Msg1Lbl-ja");  // not yet used
  EXPECT_EQ(windows.captions[Ctl::TargetDriveLbl], "TargetDrive E:\\ Removable [CARD]");
  EXPECT_EQ(seq.Run().chosenDriveRoot, "E:\\");
  EXPECT_EQ(seq.Run().targetRoot, "");
  EXPECT_TRUE(windows.setupEnabled);
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
    ScriptedQuestions s;
    fake::FakeUi u;
    Sequences q{Services{fs, p, volumes, processes, module, u}, s};
    q.StartupTimerTimer();
    EXPECT_EQ(!s.Only("language dialog").empty(), c.dialog) << (c.stored ? c.stored : "none");
  }
}

TEST_F(SequencesTest, LanguageChosenInTheDialogAppliesAndIsStoredOnlyWhenAsked) {
  windows.onLanguage = [] { return LanguageAnswer{false, true, true}; };
  Start();
  EXPECT_EQ(windows.captions[Ctl::SetupBtn], "SetupBtn-ja");
  EXPECT_EQ(profile.ReadString(kIni, "system", "isJP", ""), "1");

  fake::FakeProfile p2;
  ScriptedQuestions s2;
  fake::FakeUi u2;
  Sequences q2{Services{fs, p2, volumes, processes, module, u2}, s2};
  s2.onLanguage = [] { return LanguageAnswer{true, false, false}; };
  q2.FormCreate();
  q2.StartupTimerTimer();
  EXPECT_EQ(s2.captions[Ctl::SetupBtn], "SetupBtn");
  EXPECT_FALSE(p2.Exists(kIni));
}

TEST_F(SequencesTest, NegativeStoredLanguageEndsTheProgramAfterTheRemainingSteps) {
  StoreLanguage("-1");
  bool driveDialogOpened = false;
  windows.onDrive = [&](const DriveList&) {
    driveDialogOpened = true;
    return DriveAnswer{true, 0, ""};
  };
  Start();
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.front(), "FatalError: MLType=-1 is not defined.");
  EXPECT_TRUE(windows.Only("language dialog").empty());
  EXPECT_EQ(windows.captions[Ctl::Label2], "");
  EXPECT_EQ(windows.Only("max "), std::vector<std::string>{"40"});  // the load still ran
  EXPECT_FALSE(driveDialogOpened);
  EXPECT_TRUE(ui.EndRequested());
  EXPECT_FALSE(windows.setupEnabled);
  EXPECT_EQ(windows.captions[Ctl::TargetDriveLbl], "");
}

TEST_F(SequencesTest, CancelInEitherDialogEndsWithNothingWritten) {
  for (const bool inLanguageDialog : {true, false}) {
    fake::FakeFileSystem f;
    fake::FakeProfile p;
    fake::FakeUi u;
    ScriptedQuestions s;
    if (!inLanguageDialog) p.WriteString(kIni, "system", "isJP", "0");
    p.journal.clear();
    s.onDrive = [](const DriveList&) { return DriveAnswer{}; };
    Sequences q{Services{f, p, volumes, processes, module, u}, s};
    q.FormCreate();
    q.StartupTimerTimer();
    q.SetupBtnClick();  // Setup stays disabled; a click that slipped through does nothing
    EXPECT_TRUE(u.EndRequested());
    EXPECT_FALSE(s.setupEnabled);
    EXPECT_EQ(s.captions[Ctl::TargetDriveLbl],
              inLanguageDialog ? "TargetDriveLbl|TargetDriveLbl-ja" : "");
    EXPECT_EQ(f.journal, std::vector<std::string>{"delete C:\\Tools\\Setup.log"});
    EXPECT_TRUE(p.journal.empty());
    if (inLanguageDialog) {
      EXPECT_TRUE(s.Only("localise").empty());
      EXPECT_TRUE(s.Only("show loading").empty());
    }
  }
}

TEST_F(SequencesTest, DeveloperExtractionWritesEveryEntryAndEndsWithoutInstalling) {
  StoreLanguage("0");
  windows.onDrive = [](const DriveList& d) { return DriveAnswer{true, d.selected, "D:\\work\\"}; };
  Start();
  EXPECT_EQ(fs.FilesUnder("D:\\work\\").size(), 40u);
  EXPECT_EQ(fs.Get("D:\\work\\_BOOT_MP.nds"), test::StandinEntry("_BOOT_MP.nds"));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Extracted. [D:\\work\\]"});
  EXPECT_TRUE(ui.EndRequested());
  EXPECT_EQ(windows.captions[Ctl::TargetDriveLbl], "");
  EXPECT_TRUE(fs.FilesUnder("C:\\").empty());
  EXPECT_FALSE(fs.FileExists(kIni));
}

TEST_F(SequencesTest, ArchiveThatFailsToLoadHidesTheLoadingWindowAndLeavesSetupDisabled) {
  StoreLanguage("0");
  for (const bool missing : {true, false}) {
    ScriptedQuestions s;
    fake::FakeUi u;
    if (missing) {
      module.resources.clear();
    } else {
      module.resources["SETUPDATA"] = Bytes{0x05, 0, 0, 0, 1, 2};  // five entries, no header
    }
    Sequences q{Services{fs, profile, volumes, processes, module, u}, s};
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
  volumes.drives.clear();
  Start();
  EXPECT_EQ(windows.captions[Ctl::TargetDriveLbl], "TargetDrive ");
  EXPECT_EQ(seq.Run().chosenDriveRoot, "");
  EXPECT_FALSE(windows.setupEnabled);
  seq.SetupBtnClick();
  EXPECT_FALSE(fs.FileExists(kLog));
  EXPECT_EQ(seq.Run().targetRoot, "");
}

class SetupTest : public SequencesTest {
 protected:
  void SetUp() override {
    StoreLanguage("0");
    windows.onDrive = [](const DriveList&) { return DriveAnswer{true, 1, ""}; };
    Start();
    ASSERT_EQ(seq.Run().chosenDriveRoot, "E:\\");
  }
};

TEST_F(SetupTest, CompleteSetupInstallsShowsTheDialogOpensGlobalIniSavesAndEnds) {
  bool endedBeforeDialog = true;
  windows.onCompletion = [&] { endedBeforeDialog = ui.EndRequested(); };
  seq.SetupBtnClick();

  const auto log = LogLines();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], "StartPath=C:\\Tools\\");
  EXPECT_EQ(log[1], "TargetPath=E:\\");
  EXPECT_EQ(log[2], "TargetInfo=E:\\ Removable [CARD]");
  EXPECT_EQ(windows.mainCaption, log.back());
  EXPECT_EQ(fs.Get("E:\\SkylarchMakeIcon.exe"), test::StandinEntry("SkylarchMakeIcon.exe"));
  EXPECT_TRUE(fs.FolderExists("E:\\Skylarch\\banner"));
  EXPECT_TRUE(fs.FileExists("E:\\Skylarch\\global.ini"));
  // The eight default ROM images.
  EXPECT_EQ(fs.FilesUnder("E:\\Skylarch_").size(), 7u);
  EXPECT_TRUE(fs.FileExists("E:\\_BOOT_MP.nds"));

  EXPECT_EQ(windows.Only("completion dialog "),
            std::vector<std::string>{"Setup Skylarch Version 0.6 Msg1Lbl"});
  EXPECT_EQ(windows.captions[Ctl::OpenGlobalINIChk], "OpenGlobalINIChk");
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
  windows.onCompletion = [&] { windows.shown.Set(Check::OpenGlobalINIChk, false); };
  seq.SetupBtnClick();
  EXPECT_TRUE(processes.started.empty());
  EXPECT_EQ(profile.ReadString(kIni, "system", "OpenGlobalINI", ""), "0");
  EXPECT_TRUE(ui.EndRequested());
}

// Setup pressed again after a failure: what the first attempt installed is not backed up over
// the user's bytes, which its .bak already holds.
TEST_F(SetupTest, FailedStepLeavesTheProgramRunningAndSetupAgainKeepsTheUsersBackups) {
  fs.PutFile("E:\\Skylarch\\global.ini", "the user's own");
  fs.Mount("E:\\", 1, 700'000);  // the card fills up part way through the ROM images
  EXPECT_THROW(seq.SetupBtnClick(), Error);
  EXPECT_FALSE(ui.EndRequested());
  EXPECT_TRUE(windows.Only("completion dialog").empty());
  EXPECT_EQ(profile.ReadString(kIni, "system", "TargetDrive", "none"), "none");
  const auto firstRun = LogLines();
  EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "the user's own");

  fs.Mount("E:\\", 1, 100'000'000);
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
  EXPECT_EQ(windows.Only("completion dialog").size(), 1u);
  EXPECT_TRUE(ui.EndRequested());
}

TEST_F(SetupTest, SettingsThatCannotBeSavedLeaveASecondPressToCutTheDialogAgain) {
  profile.readOnly.insert(kIni);
  EXPECT_THROW(seq.SetupBtnClick(), Error);
  EXPECT_EQ(windows.Only("completion dialog").size(), 1u);
  EXPECT_FALSE(ui.EndRequested());

  profile.readOnly.clear();
  seq.SetupBtnClick();
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.front(), "FatalError: GetMLStr(Msg1Lbl); is not sepchar.");
  EXPECT_EQ(windows.captions[Ctl::Msg1Lbl], "");
  // The end was requested, so the dialog is not shown again; the rest still runs.
  EXPECT_EQ(windows.Only("completion dialog").size(), 1u);
  EXPECT_EQ(profile.ReadString(kIni, "system", "TargetDrive", ""), "E:\\");
  EXPECT_TRUE(ui.EndRequested());
}

// Cartridges read FAT16 and FAT32 cards only: an exFAT card is named after the three start lines,
// before the planning pass reads the card. No leaves the program in the main window; pressed
// again and answered Yes, the card ends as on any other file system.
TEST_F(SequencesTest, OnlyAnExFatCardIsQuestionedAndNoWritesNothingFurther) {
  const struct {
    const char* fileSystem;  // nullptr: the query fails when Setup is pressed
    const char* isJP;
    const char* warning;  // nullptr: nothing is asked
  } cases[] = {
      {"FAT", "0", nullptr},
      {"FAT32", "0", nullptr},
      {"NTFS", "0", nullptr},
      {"", "0", nullptr},
      {nullptr, "0", nullptr},
      {"exFAT", "0",
       "E:\\ is formatted as exFAT. Flash cartridges read only FAT16 and FAT32 cards, so the "
       "cartridge will not find what this setup writes there. Format the card as FAT32 first. "
       "Continue the setup anyway?"},
      {"exFAT", "1",
       "E:\\ は exFAT でフォーマットされています。フラッシュカートリッジが読めるのは FAT16 と "
       "FAT32 のカードだけなので、このセットアップが書き込むものはカートリッジからは見えません。"
       "先に FAT32 でフォーマットしてください。このままセットアップを続けますか？"},
  };
  test::SetupCase refused;
  refused.refused = true;
  const auto startLines = test::ExpectSetup(test::StandinCatalogue(), refused).log;
  const test::SetupOutcome full = test::ExpectSetup(test::StandinCatalogue(), {});
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fileSystem ? c.fileSystem : "failed query") + " isJP=" + c.isJP);
    fake::FakeFileSystem f;
    f.PutFolder("C:\\Tools");
    fake::FakeProfile p;
    p.WriteString(kIni, "system", "isJP", c.isJP);
    fake::FakeVolumes v = volumes;
    v.drives['E'].info.fileSystem = c.fileSystem ? c.fileSystem : "";
    fake::FakeUi u;
    ScriptedQuestions s;
    s.onDrive = [](const DriveList&) { return DriveAnswer{true, 1, ""}; };
    Sequences q{Services{f, p, v, processes, module, u}, s};
    q.FormCreate();
    q.SelDrvFormCreate();
    q.StartupTimerTimer();
    v.drives['E'].answers = c.fileSystem != nullptr;
    f.journal.clear();
    p.journal.clear();
    q.SetupBtnClick();
    std::vector<std::string> log;
    if (c.warning) {
      EXPECT_EQ(s.Only("warning "), std::vector<std::string>{c.warning});
      EXPECT_EQ(f.Lines(kLog), startLines);
      EXPECT_EQ(f.journal, std::vector<std::string>(3, std::string("append ") + kLog));
      EXPECT_TRUE(p.journal.empty());
      EXPECT_FALSE(u.EndRequested());
      log = startLines;
      s.continueAnyway = true;
      q.SetupBtnClick();
    }
    EXPECT_EQ(s.Only("warning ").size(), c.warning ? 2u : 0u);
    log.insert(log.end(), full.log.begin(), full.log.end());
    EXPECT_EQ(f.Lines(kLog), log);
    test::Tree card;
    for (const auto& path : f.FilesUnder("E:\\")) card[path.substr(3)] = *f.Get(path);
    EXPECT_EQ(card, full.card);
    EXPECT_TRUE(u.EndRequested());
  }
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
