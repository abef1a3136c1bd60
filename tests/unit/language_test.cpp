#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "language/SplitML.h"

namespace setup {
namespace {

const std::string kIni = "C:\\Tools\\Setup.ini";

class Caption : public CaptionControl {
 public:
  explicit Caption(std::string text) : text_(std::move(text)) {}
  std::string GetCaption() const override { return text_; }
  void SetCaption(const std::string& caption) override { text_ = caption; }

 private:
  std::string text_;
};

class LanguageTest : public ::testing::Test {
 protected:
  void Store(const std::string& value) { profile.WriteString(kIni, "system", "isJP", value); }
  fake::FakeProfile profile;
  fake::FakeUi ui;
  SplitML ml{profile, ui, kIni};
};

TEST_F(LanguageTest, NoStoredChoiceLeavesTheLanguageUnset) {
  EXPECT_EQ(ml.MLType, 2);
  EXPECT_FALSE(ml.IsMLTypeSet());
  EXPECT_EQ(ml.MLType, 0);
  EXPECT_FALSE(ml.MLTypeSet);
  EXPECT_FALSE(profile.Exists(kIni));
  EXPECT_TRUE(ui.messages.empty());
}

struct StoredCase {
  const char* value;
  bool set;
  std::int32_t type;
};

class StoredChoiceTest : public LanguageTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredChoiceTest, LoadsAndNormalises) {
  Store(GetParam().value);
  EXPECT_EQ(ml.IsMLTypeSet(), GetParam().set);
  EXPECT_EQ(ml.MLType, GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredChoiceTest,
                         ::testing::Values(StoredCase{"0", true, 0}, StoredCase{"1", true, 1},
                                           StoredCase{"2", false, 0}, StoredCase{"77", false, 0},
                                           StoredCase{"-1", true, -1}, StoredCase{"$1", true, 1},
                                           StoredCase{"yes", false, 0}, StoredCase{"", false, 0}));

TEST_F(LanguageTest, SectionAndKeyIgnoreCase) {
  profile.WriteString(kIni, "SYSTEM", "ISJP", "1");
  EXPECT_TRUE(ml.IsMLTypeSet());
  EXPECT_EQ(ml.GetMLStr("Cancel|キャンセル"), "キャンセル");
}

TEST_F(LanguageTest, OnceSetTheFileIsNoLongerRead) {
  Store("1");
  ASSERT_TRUE(ml.IsMLTypeSet());
  Store("0");
  EXPECT_EQ(ml.GetMLStr("Cancel|キャンセル"), "キャンセル");
}

TEST_F(LanguageTest, WhileUnsetEveryLookupReadsTheFileAgain) {
  EXPECT_FALSE(ml.IsMLTypeSet());
  Store("0");
  EXPECT_EQ(ml.GetMLStr("Cancel|キャンセル"), "Cancel");
  EXPECT_TRUE(ml.MLTypeSet);
}

struct SplitCase {
  std::int32_t language;
  const char* text;
  const char* half;
};

class GetMLStrTest : public LanguageTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(GetMLStrTest, CutsAtTheFirstSeparator) {
  ml.SetMLType(GetParam().language);
  EXPECT_EQ(ml.GetMLStr(GetParam().text), GetParam().half);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.endRequests, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Halves, GetMLStrTest,
    ::testing::Values(SplitCase{0, "Cancel|キャンセル", "Cancel"},
                      SplitCase{1, "Cancel|キャンセル", "キャンセル"}, SplitCase{0, "|", ""},
                      SplitCase{1, "|", ""}, SplitCase{0, "a|b|c", "a"},
                      SplitCase{1, "a|b|c", "b|c"}, SplitCase{0, "|日本語", ""},
                      SplitCase{1, "English|", ""},
                      // Japanese text on both sides: the byte search never splits a character.
                      SplitCase{0, "ドライブ|選択", "ドライブ"},
                      SplitCase{1, "ドライブ|選択", "選択"}));

TEST_F(LanguageTest, SetMLTypeOfTwoOrMoreClearsTheChoice) {
  ml.SetMLType(1);
  EXPECT_TRUE(ml.MLTypeSet);
  ml.SetMLType(5);
  EXPECT_FALSE(ml.MLTypeSet);
  EXPECT_EQ(ml.MLType, 0);
  ml.StoreMLType();
  EXPECT_EQ(ui.messages, std::vector<std::string>{"FatalError: MLType no set."});
  EXPECT_EQ(ui.endRequests, 1);
  EXPECT_FALSE(profile.Exists(kIni));
}

TEST_F(LanguageTest, StoreWritesOnlyIsJP) {
  profile.WriteString(kIni, "system", "TargetDrive", "E:\\");
  profile.WriteString(kIni, "rom", "MPCF", "0");
  ml.SetMLType(1);
  ml.StoreMLType();
  EXPECT_EQ(profile.ReadString(kIni, "system", "isJP", ""), "1");
  EXPECT_EQ(profile.ReadString(kIni, "system", "TargetDrive", ""), "E:\\");
  EXPECT_EQ(profile.ReadString(kIni, "rom", "MPCF", ""), "0");
  ml.SetMLType(0);
  ml.StoreMLType();
  EXPECT_EQ(profile.ReadString(kIni, "system", "isJP", ""), "0");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LanguageTest, SaveMLTypeDoesNothingWhileUnset) {
  ml.SaveMLType();
  EXPECT_FALSE(profile.Exists(kIni));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LanguageTest, NegativeChoiceIsWrittenAsSignedDecimal) {
  ml.SetMLType(-12);
  ml.StoreMLType();
  EXPECT_EQ(profile.ReadString(kIni, "system", "isJP", ""), "-12");
}

TEST_F(LanguageTest, ReadOnlySettingsFileRaisesAndKeepsTheChoice) {
  profile.readOnly.insert(kIni);
  ml.SetMLType(1);
  try {
    ml.StoreMLType();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), kIni + " に書き込めません");
  }
  EXPECT_TRUE(ml.MLTypeSet);
  EXPECT_EQ(ml.MLType, 1);
}

TEST_F(LanguageTest, NoLanguageIsAFatalReportWithEmptyResult) {
  EXPECT_EQ(ml.GetMLStr("Setup|セットアップ"), "");
  EXPECT_EQ(ui.messages, std::vector<std::string>{"FatalError: MLType no set."});
  EXPECT_EQ(ui.endRequests, 1);
}

TEST_F(LanguageTest, NegativeLanguageIsAFatalReport) {
  Store("-1");
  ASSERT_TRUE(ml.IsMLTypeSet());
  Caption label("Setup|セットアップ");
  ml.SetMLCaption(label);
  EXPECT_EQ(label.GetCaption(), "");
  EXPECT_EQ(ui.messages, std::vector<std::string>{"FatalError: MLType=-1 is not defined."});
  EXPECT_EQ(ui.endRequests, 1);
}

TEST_F(LanguageTest, CuttingTwiceReportsTheMissingSeparator) {
  ml.SetMLType(0);
  Caption label("Setup|セットアップ");
  ml.SetMLCaption(label);
  EXPECT_EQ(label.GetCaption(), "Setup");
  EXPECT_TRUE(ui.messages.empty());
  ml.SetMLCaption(label);
  EXPECT_EQ(label.GetCaption(), "");
  EXPECT_EQ(ui.messages, std::vector<std::string>{"FatalError: GetMLStr(Setup); is not sepchar."});
  EXPECT_EQ(ui.endRequests, 1);
}

TEST_F(LanguageTest, FatalReportDoesNotStopTheCaller) {
  // The report returns normally, so later captions are still cut.
  ml.SetMLType(1);
  Caption bad("no separator"), good("OK|了解");
  ml.SetMLCaption(bad);
  ml.SetMLCaption(good);
  EXPECT_EQ(good.GetCaption(), "了解");
  EXPECT_EQ(ui.messages.size(), 1u);
}

}  // namespace
}  // namespace setup
