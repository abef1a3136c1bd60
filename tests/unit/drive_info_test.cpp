#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "target/DriveInfo.h"

namespace setup {
namespace {

fake::FakeVolumes::Drive Drive(const std::string& label, unsigned type) {
  fake::FakeVolumes::Drive d;
  d.info.label = label;
  d.info.serialNumber = 0x1234ABCD;
  d.info.maxComponentLength = 255;
  d.info.fileSystemFlags = 7;
  d.type = type;
  return d;
}

TEST(GetDriveInfo, RootIsFirstCharacterPlusColonBackslash) {
  fake::FakeVolumes volumes;
  volumes.drives['E'] = Drive("CARD", 2);
  TDriveInfo info;
  GetDriveInfo(volumes, "E:\\Skylarch\\", info);
  EXPECT_EQ(volumes.queried, std::vector<std::string>{"E:\\"});
  EXPECT_TRUE(info.Valid);
  EXPECT_EQ(info.Root, "E:\\");
  EXPECT_EQ(info.VolumeLabel, "CARD");
  EXPECT_EQ(info.SerialNumber, 0x1234ABCDu);
  EXPECT_EQ(info.MaxComponentLength, 255u);
  EXPECT_EQ(info.FileSystemFlags, 7u);

  GetDriveInfo(volumes, "E", info);
  EXPECT_EQ(info.Root, "E:\\");
  EXPECT_TRUE(info.Valid);
}

TEST(GetDriveInfo, FailedQueryClearsTheLabel) {
  fake::FakeVolumes volumes;
  volumes.drives['E'] = Drive("CARD", 2);
  volumes.drives['F'] = Drive("OLD", 2);
  volumes.drives['F'].answers = false;
  TDriveInfo info;
  GetDriveInfo(volumes, "E:\\", info);
  GetDriveInfo(volumes, "F:\\", info);
  EXPECT_FALSE(info.Valid);
  EXPECT_EQ(info.Root, "F:\\");
  EXPECT_EQ(info.VolumeLabel, "");
}

TEST(GetDriveInfo, LabelEndsAtItsFirstZeroByte) {
  fake::FakeVolumes volumes;
  volumes.drives['E'] = Drive(std::string("CARD\0junk", 9), 2);
  TDriveInfo info;
  GetDriveInfo(volumes, "E:\\", info);
  EXPECT_EQ(info.VolumeLabel, "CARD");
}

// Each drive type names itself in nine characters, so that the labels line up.
TEST(DriveList, EachDriveTypeAsItsLineShowsIt) {
  const unsigned types[] = {0, 1, 2, 3, 4, 5, 6, 7, 0xFFFFFFFFu};
  fake::FakeVolumes volumes;
  char letter = 'A';
  for (const unsigned type : types) volumes.drives[letter++] = Drive("L", type);
  EXPECT_EQ(
      BuildDriveList(volumes),
      (std::vector<std::string>{"A:\\ unknown!  [L]", "B:\\ No Root!  [L]", "C:\\ Removable [L]",
                                "D:\\ Fixed-HDD [L]", "E:\\ Network   [L]", "F:\\ CD-ROM    [L]",
                                "G:\\ RAM-Disk  [L]", "H:\\ noDefine! [L]", "I:\\ noDefine! [L]"}));
}

TEST(GetDriveTypeText, EmptyRootAsksNothing) {
  struct Refusing : fake::FakeVolumes {
    unsigned DriveType(const std::string&) override {
      ADD_FAILURE() << "no query for an empty root";
      return 2;
    }
  } volumes;
  EXPECT_EQ(GetDriveTypeText(volumes, ""), "unknown! ");
}

TEST(DriveList, LinesInLetterOrderForAnsweringDrivesOnly) {
  fake::FakeVolumes volumes;
  volumes.drives['Z'] = Drive("NET SHARE", 4);
  volumes.drives['C'] = Drive("", 3);
  volumes.drives['E'] = Drive("CARD", 2);
  volumes.drives['D'] = Drive("DVD", 5);
  volumes.drives['D'].answers = false;
  const auto lines = BuildDriveList(volumes);
  EXPECT_EQ(lines, (std::vector<std::string>{"C:\\ Fixed-HDD []", "E:\\ Removable [CARD]",
                                             "Z:\\ Network   [NET SHARE]"}));
  ASSERT_EQ(volumes.queried.size(), 26u);
  EXPECT_EQ(volumes.queried.front(), "A:\\");
  EXPECT_EQ(volumes.queried.back(), "Z:\\");
  for (const auto& line : lines) EXPECT_EQ(line.find('['), 14u) << line;
}

TEST(DriveList, NoDriveGivesAnEmptyList) {
  fake::FakeVolumes volumes;
  EXPECT_TRUE(BuildDriveList(volumes).empty());
}

TEST(FirstWord, TextBeforeTheFirstBlank) {
  EXPECT_EQ(FirstWord("E:\\ Removable [CARD]"), "E:\\");
  EXPECT_EQ(FirstWord("E:\\ Network   [MY CARD]"), "E:\\");
  EXPECT_EQ(FirstWord("E:\\"), "E:\\");
  EXPECT_EQ(FirstWord(""), "");
  EXPECT_EQ(FirstWord(" E:\\"), "");
  EXPECT_EQ(FirstWord("ドライブ 名"), "ドライブ");
}

}  // namespace
}  // namespace setup
