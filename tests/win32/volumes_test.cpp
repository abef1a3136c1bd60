#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "Win32TestSupport.h"
#include "platform/win32/Win32Platform.h"
#include "target/DriveInfo.h"

namespace setup::test {
namespace {

// run.sh maps a scratch folder as a drive with a volume label of its own.
class VolumesTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* root = std::getenv("SETUP_TEST_DRIVE");
    const char* label = std::getenv("SETUP_TEST_LABEL");
    if (!root || !label) GTEST_SKIP() << "no test drive mapped (SETUP_TEST_DRIVE)";
    root_ = root;
    label_ = label;
  }
  Win32Volumes volumes;
  std::string root_, label_;
};

TEST_F(VolumesTest, MappedDriveAnswersWithItsLabel) {
  const auto info = volumes.QueryVolume(root_);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->label, label_);
  EXPECT_GT(info->maxComponentLength, 0u);
  const unsigned type = volumes.DriveType(root_);
  EXPECT_GE(type, 2u);
  EXPECT_LE(type, 6u);
}

TEST_F(VolumesTest, DriveListShowsTheMappedDrive) {
  const auto lines = BuildDriveList(volumes);
  const std::string type = GetDriveTypeText(volumes, root_);
  ASSERT_EQ(type.size(), 9u);
  const std::string line = root_ + " " + type + " [" + label_ + "]";
  EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
      << "missing: " << line << "\nfirst: " << (lines.empty() ? "" : lines[0]);
  // Every line keeps the fixed columns of the list: root, blank, nine characters, blank, "[".
  for (const auto& l : lines) {
    ASSERT_GE(l.size(), 16u) << l;
    EXPECT_EQ(l.substr(1, 3), ":\\ ") << l;
    EXPECT_EQ(l.substr(13, 2), " [") << l;
    EXPECT_EQ(l.back(), ']') << l;
  }
}

TEST_F(VolumesTest, UnusedLetterDoesNotAnswer) {
  const DWORD used = GetLogicalDrives();
  for (int i = 25; i >= 3; --i) {
    if (used & (1u << i)) continue;
    const std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
    EXPECT_FALSE(volumes.QueryVolume(root).has_value()) << root;
    EXPECT_LE(volumes.DriveType(root), 1u) << root;
    for (const auto& l : BuildDriveList(volumes)) EXPECT_NE(FirstWord(l), root);
    return;
  }
  GTEST_SKIP() << "every letter is in use";
}

}  // namespace
}  // namespace setup::test
