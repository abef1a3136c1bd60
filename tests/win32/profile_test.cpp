#include <gtest/gtest.h>

#include "Win32TestSupport.h"
#include "platform/win32/Win32Platform.h"

namespace setup::test {
namespace {

class ProfileTest : public testing::Test {
 protected:
  Scratch scratch;
  Win32Profile profile;
  Win32FileSystem fs;
  std::string ini = scratch.Path("Setup.ini");
};

TEST_F(ProfileTest, ReadingAMissingFileGivesTheDefaultAndCreatesNothing) {
  EXPECT_EQ(profile.ReadString(ini, "system", "isJP", "2"), "2");
  EXPECT_EQ(profile.ReadString(ini, "system", "TargetDrive", ""), "");
  profile.Flush(ini);
  EXPECT_FALSE(fs.FileExists(ini));
}

TEST_F(ProfileTest, NamesMatchIgnoringCase) {
  profile.WriteString(ini, "system", "TargetDrive", "E:\\");
  profile.WriteString(ini, "rom", "MPCF", "1");
  profile.Flush(ini);
  EXPECT_EQ(profile.ReadString(ini, "SYSTEM", "targetdrive", "?"), "E:\\");
  EXPECT_EQ(profile.ReadString(ini, "Rom", "mpcf", "?"), "1");
  EXPECT_EQ(profile.ReadString(ini, "rom", "SCSD", "dflt"), "dflt");
  EXPECT_EQ(profile.ReadString(ini, "configuration", "MPCF", "dflt"), "dflt");
  // A second write under other letter case replaces the value instead of adding a key.
  profile.WriteString(ini, "ROM", "mpcf", "0");
  profile.Flush(ini);
  EXPECT_EQ(profile.ReadString(ini, "rom", "MPCF", "?"), "0");
  const std::string text = RawRead(ini);
  EXPECT_EQ(text.find("1"), std::string::npos) << text;
}

TEST_F(ProfileTest, ReadsAFileEditedByHand) {
  RawWrite(ini, "[ROM]\r\nmpcf=0\r\n[system]\r\nisJP=-1\r\nTargetDrive=e:\\\r\n");
  EXPECT_EQ(profile.ReadString(ini, "rom", "MPCF", "1"), "0");
  EXPECT_EQ(profile.ReadString(ini, "system", "isJP", "2"), "-1");
  EXPECT_EQ(profile.ReadString(ini, "system", "TargetDrive", ""), "e:\\");
}

TEST_F(ProfileTest, WritesLeaveOtherKeysAlone) {
  profile.WriteString(ini, "system", "isJP", "1");
  profile.WriteString(ini, "system", "TargetDrive", "E:\\");
  profile.WriteString(ini, "system", "TargetDrive", "F:\\");
  profile.Flush(ini);
  EXPECT_EQ(profile.ReadString(ini, "system", "isJP", "?"), "1");
  EXPECT_EQ(profile.ReadString(ini, "system", "TargetDrive", "?"), "F:\\");
  const std::string text = RawRead(ini);
  EXPECT_NE(text.find("[system]"), std::string::npos) << text;
  EXPECT_NE(text.find("isJP=1"), std::string::npos) << text;
  EXPECT_NE(text.find("TargetDrive=F:\\"), std::string::npos) << text;
}

// Values are read through a 2,048-character buffer: a longer one comes back cut, never overrun.
TEST_F(ProfileTest, LongValuesAreCutAtTheBuffer) {
  const std::string value(3000, 'v');
  profile.WriteString(ini, "system", "long", value);
  profile.Flush(ini);
  EXPECT_EQ(profile.ReadString(ini, "system", "long", ""), std::string(2047, 'v'));
}

TEST_F(ProfileTest, JapaneseValuesRoundTripInTheAnsiCodePage) {
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932, have " << GetACP();
  profile.WriteString(ini, "system", "label", "カード");
  profile.Flush(ini);
  EXPECT_EQ(profile.ReadString(ini, "system", "label", ""), "カード");
  EXPECT_NE(RawRead(ini).find("label=\x83\x4a\x81\x5b\x83\x68"), std::string::npos);
}

TEST_F(ProfileTest, AFailedWriteNamesTheFile) {
  ASSERT_TRUE(fs.CreateFolders(scratch.Path("Setup.ini")));  // a folder in the way
  const std::string blocked[] = {scratch.Path("Setup.ini"), scratch.Path("nofolder\\Setup.ini")};
  for (const auto& file : blocked) {
    try {
      profile.WriteString(file, "system", "isJP", "1");
      ADD_FAILURE() << "no error for " << file;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), file + " に書き込めません");
    }
  }
  EXPECT_FALSE(fs.FileExists(scratch.Path("nofolder\\Setup.ini")));
}

}  // namespace
}  // namespace setup::test
