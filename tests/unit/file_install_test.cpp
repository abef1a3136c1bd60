#include <gtest/gtest.h>

#include <sstream>

#include "FakePlatform.h"
#include "InstallRig.h"
#include "TestArchive.h"
#include "install/FileInstall.h"

namespace setup {
namespace {

using test::StandinEntry;

using test::kLog;

Bytes B(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

class FileInstallTest : public ::testing::Test, public test::InstallRig {
 protected:
  bool Wrote(const std::string& path) const {
    for (const auto& op : fs.journal) {
      if (op == "write " + path) return true;
    }
    return false;
  }
};

TEST_F(FileInstallTest, InstallsIntoMissingFoldersAndLogsFirst) {
  CopyResFile(ctx, "Skylarch\\skin\\", "E:\\Skylarch\\skin\\", "winbody.bmp");
  EXPECT_EQ(fs.Get("E:\\Skylarch\\skin\\winbody.bmp"), StandinEntry("Skylarch\\skin\\winbody.bmp"));
  EXPECT_EQ(LogLines(), std::vector<std::string>{"copy \"Skylarch\\skin\\winbody.bmp\" to "
                                                 "\"E:\\Skylarch\\skin\\winbody.bmp\""});
  EXPECT_EQ(caption.caption, LogLines().back());
  EXPECT_TRUE(fs.FolderExists("E:\\Skylarch\\skin\\"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileInstallTest, NameIsLookedUpIgnoringCaseAndWrittenAsPassed) {
  CopyResFile(ctx, "SKYLARCH\\", "E:\\Skylarch\\", "GLOBAL.INI");
  EXPECT_EQ(fs.FilesUnder("E:\\"), std::vector<std::string>{"E:\\Skylarch\\GLOBAL.INI"});
  EXPECT_EQ(fs.Get("E:\\Skylarch\\GLOBAL.INI"), StandinEntry("Skylarch\\global.ini"));
  EXPECT_EQ(LogLines()[0], "copy \"SKYLARCH\\GLOBAL.INI\" to \"E:\\Skylarch\\GLOBAL.INI\"");
}

struct BackupCase {
  const char* name;
  bool backups;
  bool present;
  bool expectBackup;
  bool same = false;  // the file present holds the entry's bytes already
};

class BackupRuleTest : public FileInstallTest, public ::testing::WithParamInterface<BackupCase> {};

TEST_P(BackupRuleTest, BackupOnlyWhenTickedAndAFileExists) {
  const auto& c = GetParam();
  choices.Set(Check::sysExistBackupChk, c.backups);
  if (c.present) fs.PutFile("E:\\Skylarch\\global.ini", "old bytes");
  if (c.same) {
    fs.PutFile("E:\\Skylarch\\global.ini", StandinEntry("Skylarch\\global.ini"));
    fs.PutFile("E:\\Skylarch\\global.ini.bak", "the user's own");
  }
  CopyResFile(ctx, "Skylarch\\", "E:\\Skylarch\\", "global.ini");
  // A file that holds its bytes already is not written again, and its .bak stays.
  EXPECT_EQ(Wrote("E:\\Skylarch\\global.ini"), !c.same);

  std::vector<std::string> expected;
  if (c.expectBackup) expected.push_back("Create backup to \"E:\\Skylarch\\global.ini.bak\"");
  expected.push_back("copy \"Skylarch\\global.ini\" to \"E:\\Skylarch\\global.ini\"");
  EXPECT_EQ(LogLines(), expected);
  EXPECT_EQ(fs.Get("E:\\Skylarch\\global.ini"), StandinEntry("Skylarch\\global.ini"));
  if (c.expectBackup) {
    EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "old bytes");
  } else if (c.same) {
    EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "the user's own");
    EXPECT_FALSE(Wrote("E:\\Skylarch\\global.ini.bak"));
  } else {
    EXPECT_FALSE(fs.Get("E:\\Skylarch\\global.ini.bak"));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, BackupRuleTest,
                         ::testing::Values(BackupCase{"off_present", false, true, false},
                                           BackupCase{"on_absent", true, false, false},
                                           BackupCase{"on_present", true, true, true},
                                           BackupCase{"off_absent", false, false, false},
                                           BackupCase{"on_same", true, false, false, true},
                                           BackupCase{"off_same", false, false, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileInstallTest, OlderBackupIsReplacedAndEmptyFileGivesEmptyBackup) {
  fs.PutFile("E:\\Skylarch\\global.ini", "");
  fs.PutFile("E:\\Skylarch\\global.ini.bak", "an older generation");
  CopyResFile(ctx, "Skylarch\\", "E:\\Skylarch\\", "global.ini");
  EXPECT_EQ(fs.Get("E:\\Skylarch\\global.ini.bak"), Bytes());
}

TEST_F(FileInstallTest, FolderInTheWayGetsNoBackupAndFailsNamingTheFile) {
  fs.PutFolder("E:\\Skylarch\\global.ini\\");
  const std::string text =
      ErrorOf([&] { CopyResFile(ctx, "Skylarch\\", "E:\\Skylarch\\", "global.ini"); });
  EXPECT_NE(text.find("E:\\Skylarch\\global.ini\""), std::string::npos) << text;
  EXPECT_EQ(LogLines(), std::vector<std::string>{
                            "copy \"Skylarch\\global.ini\" to \"E:\\Skylarch\\global.ini\""});
  EXPECT_FALSE(fs.Get("E:\\Skylarch\\global.ini.bak"));
}

// The target is read to be compared before its step is announced.
TEST_F(FileInstallTest, LockedFileFailsBeforeAnythingIsLoggedOrWritten) {
  fs.PutFile("E:\\Skylarch\\global.ini", "old");
  fs.SetFault("E:\\Skylarch\\global.ini", fake::Fault::Lock);
  const std::string text =
      ErrorOf([&] { CopyResFile(ctx, "Skylarch\\", "E:\\Skylarch\\", "global.ini"); });
  EXPECT_NE(text.find("E:\\Skylarch\\global.ini"), std::string::npos) << text;
  EXPECT_TRUE(LogLines().empty());
  EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini"), "old");
  EXPECT_FALSE(Wrote("E:\\Skylarch\\global.ini.bak"));
}

TEST_F(FileInstallTest, FullCardAtTheBackupKeepsTheOldFile) {
  fs.PutFile("E:\\Skylarch\\global.ini", "old content");
  fs.Mount("E:\\", 512, 2 * 512);  // the folder and the file fill the card
  const std::string text =
      ErrorOf([&] { CopyResFile(ctx, "Skylarch\\", "E:\\Skylarch\\", "global.ini"); });
  EXPECT_NE(text.find("E:\\Skylarch\\global.ini.bak"), std::string::npos) << text;
  EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini"), "old content");
  EXPECT_FALSE(Wrote("E:\\Skylarch\\global.ini"));
}

TEST_F(FileInstallTest, FullCardAtTheTargetKeepsACompleteBackup) {
  fs.PutFile("E:\\Skylarch\\global.ini", "old content");
  fs.Mount("E:\\", 512, 3 * 512);  // room for the backup beside the folder and the file
  const std::string text =
      ErrorOf([&] { CopyResFile(ctx, "Skylarch\\", "E:\\Skylarch\\", "global.ini"); });
  EXPECT_NE(text.find("\"E:\\Skylarch\\global.ini\""), std::string::npos) << text;
  EXPECT_EQ(fs.Text("E:\\Skylarch\\global.ini.bak"), "old content");
}

TEST_F(FileInstallTest, WriteProtectedCardFailsAfterTheLogLine) {
  fs.WriteProtectBelow("E:\\");
  const std::string text = ErrorOf([&] { CopyResFile(ctx, "", "E:\\", "SkylarchMakeIcon.exe"); });
  EXPECT_NE(text.find("E:\\SkylarchMakeIcon.exe"), std::string::npos) << text;
  EXPECT_EQ(LogLines().size(), 1u);
  EXPECT_TRUE(fs.FilesUnder("E:\\").empty());
}

class MissingEntryTest : public FileInstallTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MissingEntryTest, ReportedAndTheExistingFileStaysUntouched) {
  choices.Set(Check::sysExistBackupChk, GetParam());
  fs.PutFile("E:\\Skylarch\\nothing.txt", "keep me");
  CopyResFile(ctx, "Skylarch\\", "E:\\Skylarch\\", "nothing.txt");
  EXPECT_EQ(ui.messages, std::vector<std::string>{"no file found. [Skylarch\\nothing.txt]"});
  EXPECT_EQ(ui.endRequests, 1);
  EXPECT_EQ(fs.Text("E:\\Skylarch\\nothing.txt"), "keep me");
  EXPECT_FALSE(Wrote("E:\\Skylarch\\nothing.txt"));
  EXPECT_EQ(LogLines().back(), "copy \"Skylarch\\nothing.txt\" to \"E:\\Skylarch\\nothing.txt\"");
}

INSTANTIATE_TEST_SUITE_P(Backups, MissingEntryTest, ::testing::Bool());

TEST_F(FileInstallTest, EmptyFolderIsRefusedBeforeAnythingHappens) {
  const std::string text = ErrorOf([&] { CopyResFile(ctx, "", "", "SkylarchMakeIcon.exe"); });
  EXPECT_NE(text.find("\"SkylarchMakeIcon.exe\""), std::string::npos) << text;
  EXPECT_TRUE(LogLines().empty());
  EXPECT_FALSE(Wrote("SkylarchMakeIcon.exe"));
}

TEST_F(FileInstallTest, FolderWithoutMatchesDoesNothing) {
  CopyResFolder(ctx, "Skylarch\\nothing\\", "E:\\Skylarch\\nothing\\");
  EXPECT_TRUE(fs.journal.empty());
}

TEST_F(FileInstallTest, DeeperSubFoldersAreRecreated) {
  const ResFile catalogue = test::CatalogueOf({{"skin\\a.bmp", B("A")},
                                               {"skin\\dark\\b.bmp", B("B")},
                                               {"skin\\dark\\x\\c.bmp", B("C")},
                                               {"skinny.bmp", B("no")}});
  InstallContext c{sink, catalogue, choices, root};
  CopyResFolder(c, "skin\\", "E:\\S\\skin\\");
  EXPECT_EQ(fs.FilesUnder("E:\\"),
            (std::vector<std::string>{"E:\\S\\skin\\a.bmp", "E:\\S\\skin\\dark\\b.bmp",
                                      "E:\\S\\skin\\dark\\x\\c.bmp"}));
  EXPECT_EQ(fs.Text("E:\\S\\skin\\dark\\x\\c.bmp"), "C");
  EXPECT_EQ(LogLines()[1], "copy \"skin\\dark\\b.bmp\" to \"E:\\S\\skin\\dark\\b.bmp\"");
  EXPECT_TRUE(ui.messages.empty());
}

struct ConfCase {
  Check box;
  std::vector<std::string> files;  // below E:\Skylarch\, in order
};

class ConfGroupTest : public FileInstallTest, public ::testing::WithParamInterface<ConfCase> {};

TEST_P(ConfGroupTest, EachBoxInstallsItsGroupAlone) {
  for (int i = 0; i < kCheckCount; ++i) choices.Set(static_cast<Check>(i), false);
  choices.Set(GetParam().box, true);
  CopyConfFiles(ctx);
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), GetParam().files.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& f = GetParam().files[i];
    EXPECT_EQ(lines[i], "copy \"Skylarch\\" + f + "\" to \"E:\\Skylarch\\" + f + "\"");
    EXPECT_EQ(fs.Get("E:\\Skylarch\\" + f), StandinEntry("Skylarch\\" + f)) << f;
  }
  EXPECT_EQ(fs.FilesUnder("E:\\").size(), GetParam().files.size());
}

INSTANTIATE_TEST_SUITE_P(
    Groups, ConfGroupTest,
    ::testing::Values(ConfCase{Check::confGlobalINIChk, {"global.ini"}},
                      ConfCase{Check::confFontChk, {"font12.glu", "font12.glf"}},
                      ConfCase{Check::confSaveNameTxtChk, {"savename.txt"}},
                      ConfCase{
                          Check::confSEChk,
                          {"se\\complite.wav", "se\\cursor.wav", "se\\error.wav", "se\\execute.wav",
                           "se\\process.wav", "se\\winclose.wav", "se\\winopen.wav"}}));

TEST_F(FileInstallTest, NoBoxTickedDoesNothingAtAll) {
  for (int i = 0; i < kCheckCount; ++i) choices.Set(static_cast<Check>(i), false);
  CopyConfFiles(ctx);
  EXPECT_TRUE(fs.journal.empty());
  root.clear();
  EXPECT_NO_THROW(CopyConfFiles(ctx));
}

TEST_F(FileInstallTest, EmptyTargetRootIsRefused) {
  root.clear();
  const std::string text = ErrorOf([&] { CopyConfFiles(ctx); });
  EXPECT_NE(text.find("Skylarch\\"), std::string::npos) << text;
  EXPECT_EQ(fs.journal, std::vector<std::string>{});
}

}  // namespace
}  // namespace setup
