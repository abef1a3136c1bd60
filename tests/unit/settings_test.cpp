#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "install/Settings.h"

namespace setup {
namespace {

const std::string kIni = "C:\\Tools\\Setup.ini";

TEST(SettingsPathFor, BesideTheExecutable) {
  EXPECT_EQ(SettingsPathFor("C:\\Tools\\Setup.exe"), kIni);
  EXPECT_EQ(SettingsPathFor("D:\\x.y\\Setup"), "D:\\x.y\\Setup.ini");
}

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() {
    drives.lines = {"C:\\ Fixed-HDD []", "E:\\ Removable [CARD]", "F:\\ Removable []"};
    drives.selected = 0;
  }
  void Put(const std::string& section, const std::string& key, const std::string& value) {
    profile.WriteString(kIni, section, key, value);
  }
  void Load() {
    const int before = profile.flushes;
    LoadSettings(profile, kIni, choices, drives);
    EXPECT_EQ(profile.flushes, before + 1) << "the file is released";
  }
  fake::FakeProfile profile;
  Choices choices;
  DriveList drives;
};

TEST_F(SettingsTest, FirstRunKeepsEveryStateAndCreatesNoFile) {
  Load();
  EXPECT_FALSE(profile.Exists(kIni));
  EXPECT_EQ(drives.selected, 0);
  EXPECT_TRUE(choices == Choices());
}

TEST_F(SettingsTest, SaveWritesTheDriveAndSeventeenKeysInOrder) {
  drives.selected = 1;
  choices.Set(Check::romSCMSChk, false);
  choices.Set(Check::romNJSDChk, true);
  SaveSettings(profile, kIni, choices, drives);
  EXPECT_EQ(profile.Dump(kIni),
            "[system]\r\nTargetDrive=E:\\\r\nExistBackup=1\r\nOpenGlobalINI=1\r\n"
            "[configuration]\r\nglobal.ini=1\r\nfont=1\r\nsavename.txt=1\r\nSkin=1\r\nSE=1\r\n"
            "[rom]\r\nMPCF=1\r\nSCCF=1\r\nSCSD=1\r\nSCMS=0\r\nM3CF=1\r\nM3SD=1\r\nMMCF=1\r\n"
            "EZSD=0\r\nEWSD=1\r\nNMMC=0\r\n");
  EXPECT_EQ(profile.journal.size(), 18u);
  EXPECT_EQ(profile.flushes, 1);
}

TEST_F(SettingsTest, SaveWithNoSelectionWritesAnEmptyDrive) {
  drives.selected = -1;
  SaveSettings(profile, kIni, choices, drives);
  EXPECT_EQ(profile.ReadString(kIni, "system", "TargetDrive", "?"), "");
}

TEST_F(SettingsTest, SaveLeavesIsJPAndUnknownKeysAlone) {
  Put("system", "isJP", "1");
  Put("rom", "NJSD", "1");
  SaveSettings(profile, kIni, choices, drives);
  EXPECT_EQ(profile.ReadString(kIni, "system", "isJP", ""), "1");
  EXPECT_EQ(profile.ReadString(kIni, "rom", "NJSD", ""), "1");
}

TEST_F(SettingsTest, RoundTripRestoresEveryBoxAndTheDrive) {
  // Alternate ticks so that a key bound to the wrong box shows up.
  for (int i = 0; i < kCheckCount; ++i) choices.Set(static_cast<Check>(i), i % 2 == 0);
  drives.selected = 2;
  SaveSettings(profile, kIni, choices, drives);

  const Choices saved = choices;
  for (int i = 0; i < kCheckCount; ++i) {
    choices.Set(static_cast<Check>(i), !saved[static_cast<Check>(i)]);
  }
  drives.selected = 0;
  Load();
  EXPECT_EQ(drives.selected, 2);
  for (const auto& c : kChoices) {
    if (c.key.empty()) continue;
    EXPECT_EQ(choices[c.id], saved[c.id]) << c.key;
  }
  EXPECT_NE(choices[Check::romNJSDChk], saved[Check::romNJSDChk]);
}

struct TickCase {
  const char* value;
  bool before;
  bool after;
};

class HandEditedTickTest : public SettingsTest, public ::testing::WithParamInterface<TickCase> {};

TEST_P(HandEditedTickTest, IntegerRuleWithTheCurrentStateAsDefault) {
  choices.Set(Check::romMPCFChk, GetParam().before);
  Put("rom", "MPCF", GetParam().value);
  Load();
  EXPECT_EQ(choices[Check::romMPCFChk], GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Values, HandEditedTickTest,
                         ::testing::Values(TickCase{"1", false, true}, TickCase{"2", false, true},
                                           TickCase{"-1", false, true},
                                           TickCase{"0x10", false, true},
                                           TickCase{"0", true, false}, TickCase{"0x0", true, false},
                                           TickCase{"true", true, true},
                                           TickCase{"true", false, false}, TickCase{"", true, true},
                                           TickCase{"1a", false, false}));

TEST_F(SettingsTest, UpperCaseSectionAndLowerCaseKeyStillMatch) {
  Put("ROM", "mpcf", "0");
  Put("SYSTEM", "existbackup", "0");
  Load();
  EXPECT_FALSE(choices[Check::romMPCFChk]);
  EXPECT_FALSE(choices[Check::sysExistBackupChk]);
  EXPECT_TRUE(choices[Check::romSCCFChk]);
}

TEST_F(SettingsTest, DisabledNMMCIsTickedAndSavedBack) {
  Put("rom", "NMMC", "1");
  Put("rom", "EZSD", "1");
  Load();
  EXPECT_TRUE(choices[Check::romNMMCChk]);
  EXPECT_TRUE(choices[Check::romEZSDChk]);
  SaveSettings(profile, kIni, choices, drives);
  EXPECT_EQ(profile.ReadString(kIni, "rom", "NMMC", ""), "1");
}

TEST_F(SettingsTest, NJSDKeyHasNoEffect) {
  Put("rom", "NJSD", "1");
  Load();
  EXPECT_FALSE(choices[Check::romNJSDChk]);
  choices.Set(Check::romNJSDChk, true);
  Put("rom", "NJSD", "0");
  Load();
  EXPECT_TRUE(choices[Check::romNJSDChk]);
}

struct DriveCase {
  const char* stored;
  int selected;
};

class StoredDriveTest : public SettingsTest, public ::testing::WithParamInterface<DriveCase> {};

TEST_P(StoredDriveTest, FirstWordsCompareByteForByte) {
  drives.selected = 0;
  Put("system", "TargetDrive", GetParam().stored);
  SelectStoredDrive(profile, kIni, "system", "TargetDrive", drives);
  EXPECT_EQ(drives.selected, GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredDriveTest,
                         ::testing::Values(DriveCase{"E:\\", 1}, DriveCase{"F:\\", 2},
                                           DriveCase{"e:\\", 0}, DriveCase{"E:\\ extra text", 1},
                                           DriveCase{"E:", 0}, DriveCase{"G:\\", 0},
                                           DriveCase{"", 0}));

TEST_F(SettingsTest, LastMatchingLineWins) {
  drives.lines = {"E:\\ Removable [A]", "C:\\ Fixed-HDD []", "E:\\ Removable [B]"};
  Put("system", "TargetDrive", "E:\\");
  Load();
  EXPECT_EQ(drives.selected, 2);
}

TEST_F(SettingsTest, EmptyListKeepsNoSelection) {
  drives.lines.clear();
  drives.selected = -1;
  Put("system", "TargetDrive", "E:\\");
  Load();
  EXPECT_EQ(drives.selected, -1);
}

TEST_F(SettingsTest, WriteErrorStopsAtThatKeyAndReleasesTheFile) {
  struct FailingAt : fake::FakeProfile {
    void WriteString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override {
      if (key == "Skin") throw Error(file + " に書き込めません");
      FakeProfile::WriteString(file, section, key, value);
    }
  } failing;
  try {
    SaveSettings(failing, kIni, choices, drives);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), kIni + " に書き込めません");
  }
  EXPECT_EQ(failing.ReadString(kIni, "configuration", "savename.txt", ""), "1");
  EXPECT_EQ(failing.ReadString(kIni, "configuration", "SE", "none"), "none");
  EXPECT_EQ(failing.flushes, 1);
}

}  // namespace
}  // namespace setup
