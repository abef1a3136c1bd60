// A whole default installation through the engine on an in-memory card, run twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "Expectation.h"
#include "FakePlatform.h"
#include "TestArchive.h"
#include "install/FileInstall.h"
#include "install/RomBuilder.h"

namespace setup {
namespace {

const std::string kLog = "C:\\Tools\\Setup.log";

// The default rows: 1 to 7 and 9, with their file offset of the adapter ID.
struct DefaultImage {
  const char* file;
  const char* id;
  std::size_t size;
  std::size_t idOffset;
};
const DefaultImage kDefaultImages[] = {
    {"_BOOT_MP.nds", "MPCF", 323136, 0x3A630},
    {"Skylarch_SCCF_SuperCard_CF.nds", "SCCF", 323648, 0x3A830},
    {"Skylarch_SCSD_SuperCard_SD.nds", "SCSD", 323648, 0x3A830},
    {"Skylarch_SCMS_SuperCard_MicroSD.nds", "SCMS", 323648, 0x3A830},
    {"Skylarch_M3CF_M3_CF.nds", "M3CF", 323648, 0x3A830},
    {"Skylarch_M3SD_M3_SD.nds", "M3SD", 323648, 0x3A830},
    {"Skylarch_MMCF_MaxMedia_CF.nds", "MMCF", 323136, 0x3A630},
    {"Skylarch_EWSD_Ewin2_MicroSD.nds", "EWSD", 323136, 0x3A630},
};

class FullRunTest : public ::testing::Test {
 protected:
  FullRunTest() { fs.PutFolder("C:\\Tools\\"); }

  // Steps 2 to 8 of a setup on E:.
  void Run() {
    log.WriteLog("StartPath=C:\\Tools\\");
    log.WriteLog("TargetPath=E:\\");
    log.WriteLog("TargetInfo=E:\\ Removable [CARD]");
    CopyConfFiles(ctx);
    CreateROMImages(ctx);
    CopyResFile(ctx, "", ctx.targetRoot, "SkylarchMakeIcon.exe");
    fs.CreateFolders(ctx.targetRoot + "Skylarch\\banner\\");
  }
  std::vector<std::string> LogLines() const {
    EXPECT_TRUE(fs.Text(kLog).ends_with("\r\n"));
    return fs.Lines(kLog);
  }
  // The card's files by their path below E:\.
  test::Tree Card() const {
    test::Tree tree;
    for (const auto& path : fs.FilesUnder("E:\\")) tree[path.substr(3)] = *fs.Get(path);
    return tree;
  }
  static std::string CopyLine(const std::string& f) {
    return "copy \"Skylarch\\" + f + "\" to \"E:\\Skylarch\\" + f + "\"";
  }

  fake::FakeFileSystem fs;
  fake::FakeUi ui;
  Choices choices;
  fake::FakeCaption caption;
  SetupLog log{fs, caption, kLog};
  std::set<std::string> installedThisRun;
  InstallContext ctx{fs, test::StandinCatalogue(), ui, choices, log, "E:\\", &installedThisRun};
};

TEST_F(FullRunTest, DefaultRunOnAnEmptyCard) {
  Run();
  const test::SetupOutcome want = test::ExpectSetup(test::StandinCatalogue(), {});
  EXPECT_EQ(LogLines(), want.log);
  EXPECT_EQ(caption.caption, want.log.back());
  EXPECT_EQ(Card(), want.card);
  // 35 configuration files, 8 images and the tool, whatever the expectation says.
  EXPECT_EQ(Card().size(), 44u);
  for (const auto& image : kDefaultImages) {
    const auto bytes = fs.Get(std::string("E:\\") + image.file);
    ASSERT_TRUE(bytes) << image.file;
    EXPECT_EQ(bytes->size(), image.size) << image.file;
    EXPECT_EQ(std::string(bytes->begin() + image.idOffset - 8, bytes->begin() + image.idOffset + 4),
              std::string("Adapter:") + image.id);
  }
  EXPECT_TRUE(fs.FolderExists("E:\\Skylarch\\banner\\"));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.endRequests, 0);
}

TEST_F(FullRunTest, SecondRunBacksUpWhatTheFirstInstalled) {
  Run();
  // The user edits a file between the runs; its backup must hold the edit.
  fs.PutFile("E:\\Skylarch\\global.ini", "edited by hand");
  test::SetupCase second;
  second.before = Card();
  fs.DeleteFile(kLog);
  installedThisRun.clear();  // the program is started again
  Run();
  const test::SetupOutcome want = test::ExpectSetup(test::StandinCatalogue(), second);
  EXPECT_EQ(LogLines(), want.log);
  EXPECT_EQ(Card(), want.card);
  EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "edited by hand");
  EXPECT_FALSE(fs.Get("E:\\_BOOT_MP.nds.bak"));
  EXPECT_EQ(Card().size(), 44u + 36u);
}

TEST_F(FullRunTest, LogNotWritableStopsBeforeAnythingIsInstalled) {
  fs.SetFault(kLog, fake::Fault::WriteProtect);
  EXPECT_THROW(Run(), Error);
  EXPECT_TRUE(fs.FilesUnder("E:\\").empty());
  EXPECT_EQ(caption.sets, 0);
}

TEST_F(FullRunTest, FailureMidwayLeavesEarlierFilesAndRunsAgain) {
  fs.PutFile("E:\\Skylarch\\global.ini", "the user's own");
  fs.PutFolder("E:\\Skylarch\\skin\\subbg.bmp\\");
  test::SetupCase first;
  first.before = Card();
  first.failsAt = "Skylarch\\skin\\subbg.bmp";
  try {
    Run();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("E:\\Skylarch\\skin\\subbg.bmp"), std::string::npos);
  }
  const test::SetupOutcome want = test::ExpectSetup(test::StandinCatalogue(), first);
  EXPECT_EQ(LogLines(), want.log);
  EXPECT_EQ(caption.caption, CopyLine("skin\\subbg.bmp"));
  EXPECT_EQ(Card(), want.card);

  // Setup pressed again: the log grows, and what the first attempt installed is not backed up,
  // so global.ini.bak keeps the user's bytes.
  test::SetupCase again = first;
  again.before = Card();
  again.installedEarlier = {want.installed.begin(), want.installed.end()};
  EXPECT_THROW(Run(), Error);
  std::vector<std::string> log = want.log;
  const auto retry = test::ExpectSetup(test::StandinCatalogue(), again).log;
  log.insert(log.end(), retry.begin(), retry.end());
  EXPECT_EQ(LogLines(), log);
  EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "the user's own");
  EXPECT_FALSE(fs.Get("E:\\Skylarch\\skin\\prgposi.bmp.bak"));
}

}  // namespace
}  // namespace setup
