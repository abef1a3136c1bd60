// A whole default installation through the engine on an in-memory card, run twice.
#include <gtest/gtest.h>

#include <algorithm>

#include "Expectation.h"
#include "FakePlatform.h"
#include "TestArchive.h"
#include "install/Installation.h"

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

  // Steps 2 to 8 of a setup on E:, planned first as the program does.
  void Run() {
    log.WriteLog("StartPath=C:\\Tools\\");
    log.WriteLog("TargetPath=E:\\");
    log.WriteLog("TargetInfo=E:\\ Removable [CARD]");
    EXPECT_FALSE(
        InstallPlanned(fs, log, ui, test::StandinCatalogue(), choices, "E:\\", std::nullopt));
  }
  // What the card's files were written to since the last call.
  std::vector<std::string> CardWrites() {
    std::vector<std::string> out;
    for (const auto& op : fs.journal) {
      if (op.starts_with("write E:")) out.push_back(op.substr(6));
    }
    fs.journal.clear();
    return out;
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

// Set up over the user's own global.ini, then again after the user edited a font, then again:
// each setup writes and backs up only what differs, so every .bak keeps the user's bytes.
TEST_F(FullRunTest, RepeatedSetupsWriteOnlyWhatDiffersAndKeepTheUsersBackups) {
  fs.PutFile("E:\\Skylarch\\global.ini", "the user's own");
  Run();
  EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "the user's own");
  EXPECT_EQ(CardWrites().size(), 45u);  // 44 files and one .bak

  fs.PutFile("E:\\Skylarch\\font12.glf", "edited by hand");
  for (int repeat = 0; repeat < 2; ++repeat) {
    test::SetupCase again;
    again.before = Card();
    fs.DeleteFile(kLog);
    Run();
    const test::SetupOutcome want = test::ExpectSetup(test::StandinCatalogue(), again);
    EXPECT_EQ(LogLines(), want.log);
    EXPECT_EQ(Card(), want.card);
    EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "the user's own");
    EXPECT_EQ(fs.Text("E:\\Skylarch\\font12.glf.bak"), "edited by hand");
    EXPECT_EQ(Card().size(), 44u + 2u);
    // Only the edited font is backed up and written again, and the next time nothing at all.
    const auto backups = std::count_if(want.log.begin(), want.log.end(), [](const auto& l) {
      return l.starts_with("Create backup");
    });
    EXPECT_EQ(backups, repeat == 0 ? 1 : 0);
    const std::vector<std::string> edited = {"E:\\Skylarch\\font12.glf.bak",
                                             "E:\\Skylarch\\font12.glf"};
    EXPECT_EQ(CardWrites(), repeat == 0 ? edited : std::vector<std::string>());
  }
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

  // Setup pressed again: the log grows, and what the first attempt installed holds its bytes
  // already, so it is not backed up and global.ini.bak keeps the user's bytes.
  test::SetupCase again = first;
  again.before = Card();
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
