#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

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
  // Wine names every drive's file system NTFS, so no e2e run meets the exFAT question.
  EXPECT_EQ(info->fileSystem, "NTFS");
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
    EXPECT_FALSE(volumes.QuerySpace(root).has_value()) << root;
    EXPECT_LE(volumes.DriveType(root), 1u) << root;
    for (const auto& l : BuildDriveList(volumes)) EXPECT_NE(FirstWord(l), root);
    return;
  }
  GTEST_SKIP() << "every letter is in use";
}

// The 1 MiB RAM disk run.sh maps as R: where it can: its real size, and a file that takes its
// whole clusters off the free space.
TEST(VolumeSpaceQuery, SmallCardReportsItsSizeAndClusters) {
  const char* root = std::getenv("SETUP_FULL_DRIVE");
  if (!root || !*root) GTEST_SKIP() << "no small drive mapped (SETUP_FULL_DRIVE)";
  Win32Volumes volumes;
  const auto before = volumes.QuerySpace(root);
  ASSERT_TRUE(before.has_value());
  EXPECT_EQ(before->totalBytes, 1u << 20);
  ASSERT_GT(before->clusterSize, 0u);
  EXPECT_EQ(before->totalBytes % before->clusterSize, 0u);
  EXPECT_LE(before->freeBytes, before->totalBytes);

  const std::string file = std::string(root) + "room" + std::to_string(GetCurrentProcessId());
  const std::uint64_t size = before->clusterSize * 5 + 1;
  RawWrite(file, std::string(size, 'r'));
  const auto after = volumes.QuerySpace(root);
  DeleteFileW(ToWide(file).c_str());
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(before->freeBytes - after->freeBytes, before->clusterSize * 6);
}

// Stand-ins for the system calls: R: answers as a card labelled SLOT, every other letter as an
// empty slot of a card reader. Both record the thread's error mode while they run.
struct Seen {
  std::vector<DWORD> volumeModes, typeModes;
};
Seen seen;

BOOL WINAPI EmptySlotsButR(LPCWSTR root, LPWSTR label, DWORD labelSize, LPDWORD serial,
                           LPDWORD maxComponent, LPDWORD flags, LPWSTR fileSystem,
                           DWORD fileSystemSize) {
  seen.volumeModes.push_back(GetThreadErrorMode());
  if (root[0] != L'R') {
    SetLastError(ERROR_NOT_READY);
    return FALSE;
  }
  lstrcpynW(label, L"SLOT", static_cast<int>(labelSize));
  if (fileSystem) lstrcpynW(fileSystem, L"exFAT", static_cast<int>(fileSystemSize));
  *serial = 1;
  *maxComponent = 255;
  *flags = 0;
  return TRUE;
}

UINT WINAPI RemovableDrive(LPCWSTR) {
  seen.typeModes.push_back(GetThreadErrorMode());
  return DRIVE_REMOVABLE;
}

// Restores the test thread's error mode, whatever the test leaves behind.
class ThreadErrorModeKept {
 public:
  ThreadErrorModeKept() : old_(GetThreadErrorMode()) {}
  ~ThreadErrorModeKept() { SetThreadErrorMode(old_, nullptr); }

 private:
  DWORD old_;
};

TEST(VolumeQueries, RunWithoutCriticalErrorBoxesAndRestoreTheThreadsMode) {
  const ThreadErrorModeKept kept;
  for (const DWORD before : {DWORD{0}, DWORD{SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX},
                             DWORD{SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX}}) {
    SCOPED_TRACE(before);
    ASSERT_TRUE(SetThreadErrorMode(before, nullptr));
    seen = {};
    Win32Volumes volumes(EmptySlotsButR, RemovableDrive);
    const auto lines = BuildDriveList(volumes);
    EXPECT_EQ(lines, std::vector<std::string>{"R:\\ Removable [SLOT]"});
    EXPECT_EQ(seen.volumeModes.size(), 26u);
    EXPECT_EQ(volumes.QueryVolume("R:\\").value_or(VolumeInfo{}).fileSystem, "exFAT");
    EXPECT_FALSE(seen.typeModes.empty());
    for (const DWORD mode : seen.volumeModes) EXPECT_TRUE(mode & SEM_FAILCRITICALERRORS) << mode;
    for (const DWORD mode : seen.typeModes) EXPECT_TRUE(mode & SEM_FAILCRITICALERRORS) << mode;
    EXPECT_EQ(GetThreadErrorMode(), before);
  }
}

}  // namespace
}  // namespace setup::test
