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

struct TypeCase {
  unsigned type;
  const char* text;
};

class DriveTypeTextTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(DriveTypeTextTest, NineCharacterText) {
  fake::FakeVolumes volumes;
  volumes.drives['E'] = Drive("", GetParam().type);
  const std::string text = GetDriveTypeText(volumes, "E:\\");
  EXPECT_EQ(text, GetParam().text);
  EXPECT_EQ(text.size(), 9u);
}

INSTANTIATE_TEST_SUITE_P(Types, DriveTypeTextTest,
                         ::testing::Values(TypeCase{0, "unknown! "}, TypeCase{1, "No Root! "},
                                           TypeCase{2, "Removable"}, TypeCase{3, "Fixed-HDD"},
                                           TypeCase{4, "Network  "}, TypeCase{5, "CD-ROM   "},
                                           TypeCase{6, "RAM-Disk "}, TypeCase{7, "noDefine!"},
                                           TypeCase{0xFFFFFFFFu, "noDefine!"}));

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
