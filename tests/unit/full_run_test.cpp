// A whole default installation through the engine on an in-memory card, run twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "FakePlatform.h"
#include "TestArchive.h"
#include "install/FileInstall.h"
#include "install/RomBuilder.h"

namespace setup {
namespace {

using test::StandinEntry;

const std::string kLog = "C:\\Tools\\Setup.log";

// The configuration files in installation order, below Skylarch\.
const std::vector<std::string> kConfFiles = {
    "global.ini",
    "font12.glu",
    "font12.glf",
    "savename.txt",
    "skin\\icon_back.bmp",
    "skin\\icon_dscard.bmp",
    "skin\\icon_folder.bmp",
    "skin\\icon_gbacart.bmp",
    "skin\\icon_unknown.bmp",
    "skin\\icon_vectorl.bmp",
    "skin\\icon_vectorr.bmp",
    "skin\\icon_warning.bmp",
    "skin\\prgnega.bmp",
    "skin\\prgposi.bmp",
    "skin\\subbg.bmp",
    "skin\\warning.bmp",
    "skin\\winbody.bmp",
    "skin\\winfrmd.bmp",
    "skin\\winfrmdl.bmp",
    "skin\\winfrmdr.bmp",
    "skin\\winfrml.bmp",
    "skin\\winfrmr.bmp",
    "skin\\winfrmu.bmp",
    "skin\\winfrmul.bmp",
    "skin\\winfrmur.bmp",
    "skin\\winttlc.bmp",
    "skin\\winttll.bmp",
    "skin\\winttlr.bmp",
    "se\\complite.wav",
    "se\\cursor.wav",
    "se\\error.wav",
    "se\\execute.wav",
    "se\\process.wav",
    "se\\winclose.wav",
    "se\\winopen.wav",
};

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
  static std::string CopyLine(const std::string& f) {
    return "copy \"Skylarch\\" + f + "\" to \"E:\\Skylarch\\" + f + "\"";
  }
  static std::string BackupLine(const std::string& path) {
    return "Create backup to \"" + path + ".bak\"";
  }
  static std::vector<std::string> RomLines() {
    std::vector<std::string> lines;
    for (const auto& image : kDefaultImages) {
      lines.push_back(std::string("Create ROM image and copy to \"E:\\") + image.file + "\"");
    }
    lines[0] += " for GBAMP/AdMovie";
    return lines;
  }
  static std::vector<std::string> Head() {
    return {"StartPath=C:\\Tools\\", "TargetPath=E:\\", "TargetInfo=E:\\ Removable [CARD]"};
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
  std::vector<std::string> expected = Head();
  for (const auto& f : kConfFiles) expected.push_back(CopyLine(f));
  for (const auto& l : RomLines()) expected.push_back(l);
  expected.push_back("copy \"SkylarchMakeIcon.exe\" to \"E:\\SkylarchMakeIcon.exe\"");
  EXPECT_EQ(LogLines(), expected);
  EXPECT_EQ(caption.caption, expected.back());

  std::vector<std::string> files;
  for (const auto& f : kConfFiles) {
    files.push_back("E:\\Skylarch\\" + f);
    EXPECT_EQ(fs.Get("E:\\Skylarch\\" + f), StandinEntry("Skylarch\\" + f)) << f;
  }
  for (const auto& image : kDefaultImages) {
    files.push_back(std::string("E:\\") + image.file);
    const auto bytes = fs.Get(std::string("E:\\") + image.file);
    ASSERT_TRUE(bytes) << image.file;
    EXPECT_EQ(bytes->size(), image.size) << image.file;
    EXPECT_EQ(std::string(bytes->begin() + image.idOffset - 8, bytes->begin() + image.idOffset + 4),
              std::string("Adapter:") + image.id);
  }
  files.push_back("E:\\SkylarchMakeIcon.exe");
  std::sort(files.begin(), files.end());
  EXPECT_EQ(fs.FilesUnder("E:\\"), files);
  EXPECT_EQ(fs.Get("E:\\SkylarchMakeIcon.exe"), StandinEntry("SkylarchMakeIcon.exe"));
  EXPECT_TRUE(fs.FolderExists("E:\\Skylarch\\banner\\"));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.endRequests, 0);
}

TEST_F(FullRunTest, SecondRunBacksUpWhatTheFirstInstalled) {
  Run();
  // The user edits a file between the runs; its backup must hold the edit.
  fs.PutFile("E:\\Skylarch\\global.ini", "edited by hand");
  fs.DeleteFile(kLog);
  installedThisRun.clear();  // the program is started again
  Run();

  std::vector<std::string> expected = Head();
  for (const auto& f : kConfFiles) {
    expected.push_back(BackupLine("E:\\Skylarch\\" + f));
    expected.push_back(CopyLine(f));
  }
  for (const auto& l : RomLines()) expected.push_back(l);
  expected.push_back(BackupLine("E:\\SkylarchMakeIcon.exe"));
  expected.push_back("copy \"SkylarchMakeIcon.exe\" to \"E:\\SkylarchMakeIcon.exe\"");
  EXPECT_EQ(LogLines(), expected);

  EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "edited by hand");
  EXPECT_EQ(fs.Get("E:\\Skylarch\\global.ini"), StandinEntry("Skylarch\\global.ini"));
  for (std::size_t i = 1; i < kConfFiles.size(); ++i) {
    EXPECT_EQ(fs.Get("E:\\Skylarch\\" + kConfFiles[i] + ".bak"),
              StandinEntry("Skylarch\\" + kConfFiles[i]));
  }
  for (const auto& image : kDefaultImages) {
    EXPECT_FALSE(fs.Get(std::string("E:\\") + image.file + ".bak")) << image.file;
  }
  EXPECT_EQ(fs.FilesUnder("E:\\").size(), 2 * kConfFiles.size() + 8 + 2);
}

TEST_F(FullRunTest, LogNotWritableStopsBeforeAnythingIsInstalled) {
  fs.SetFault(kLog, fake::Fault::WriteProtect);
  EXPECT_THROW(Run(), Error);
  EXPECT_TRUE(fs.FilesUnder("E:\\").empty());
  EXPECT_EQ(caption.sets, 0);
}

TEST_F(FullRunTest, FailureMidwayLeavesEarlierFilesAndRunsAgain) {
  fs.PutFolder("E:\\Skylarch\\skin\\subbg.bmp\\");
  try {
    Run();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("E:\\Skylarch\\skin\\subbg.bmp"), std::string::npos);
  }
  EXPECT_EQ(LogLines().back(), CopyLine("skin\\subbg.bmp"));
  EXPECT_EQ(caption.caption, CopyLine("skin\\subbg.bmp"));
  EXPECT_EQ(fs.Get("E:\\Skylarch\\skin\\prgposi.bmp"), StandinEntry("Skylarch\\skin\\prgposi.bmp"));
  EXPECT_FALSE(fs.Get("E:\\Skylarch\\skin\\warning.bmp"));
  EXPECT_FALSE(fs.Get("E:\\_BOOT_MP.nds"));

  // Setup pressed again: the log grows, and what the first attempt installed is not backed up,
  // so a .bak made by the first attempt would keep the user's bytes.
  const auto before = LogLines().size();
  EXPECT_THROW(Run(), Error);
  EXPECT_GT(LogLines().size(), before);
  EXPECT_EQ(LogLines()[before], "StartPath=C:\\Tools\\");
  EXPECT_EQ(LogLines()[before + 3], CopyLine("global.ini"));
  EXPECT_FALSE(fs.Get("E:\\Skylarch\\skin\\prgposi.bmp.bak"));
  EXPECT_EQ(fs.FilesUnder("E:\\Skylarch\\skin\\").size(), 10u);
}

}  // namespace
}  // namespace setup
