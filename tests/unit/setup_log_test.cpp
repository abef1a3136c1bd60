#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "install/SetupLog.h"

namespace setup {
namespace {

TEST(LogPathFor, ReplacesOrAppendsTheExtension) {
  EXPECT_EQ(LogPathFor("C:\\Tools\\Setup.exe"), "C:\\Tools\\Setup.log");
  EXPECT_EQ(LogPathFor("C:\\Tools\\Setup"), "C:\\Tools\\Setup.log");
  EXPECT_EQ(LogPathFor("C:\\v1.2\\Setup"), "C:\\v1.2\\Setup.log");
  EXPECT_EQ(LogPathFor("C:\\Tools\\Setup.tar.exe"), "C:\\Tools\\Setup.tar.log");
}

class SetupLogTest : public ::testing::Test {
 protected:
  const std::string path = "C:\\Tools\\Setup.log";
  fake::FakeFileSystem fs;
  fake::FakeCaption caption;
  SetupLog log{fs, caption, path};
};

TEST_F(SetupLogTest, CreatesThenAppendsWithCrLf) {
  fs.PutFolder("C:\\Tools\\");
  log.WriteLog("StartPath=C:\\Tools\\");
  EXPECT_EQ(fs.Text(path), "StartPath=C:\\Tools\\\r\n");
  EXPECT_EQ(caption.caption, "StartPath=C:\\Tools\\");
  log.WriteLog("");
  EXPECT_EQ(caption.caption, "");
  log.WriteLog("TargetPath=E:\\ 日本語");
  EXPECT_EQ(fs.Text(path), "StartPath=C:\\Tools\\\r\n\r\nTargetPath=E:\\ 日本語\r\n");
  EXPECT_EQ(caption.caption, "TargetPath=E:\\ 日本語");
  EXPECT_EQ(caption.sets, 3);
}

TEST_F(SetupLogTest, LeftOverLogIsAppendedTo) {
  fs.PutFile(path, "old\r\n");
  log.WriteLog("new");
  EXPECT_EQ(fs.Text(path), "old\r\nnew\r\n");
}

// The file system's own error, naming the log; the caption keeps the last line on disk.
TEST_F(SetupLogTest, FailureRaisesTheFileSystemsErrorAndKeepsTheCaption) {
  fs.PutFolder("C:\\Tools\\");
  log.WriteLog("first");
  fs.Mount("C:\\Tools\\", 1, 10);  // "first" and CR LF, and 3 bytes more
  const auto second = [&]() -> std::string {
    try {
      log.WriteLog("second");
    } catch (const Error& e) {
      return e.what();
    }
    return "no error";
  };
  EXPECT_EQ(second(), WriteError(path, "There is not enough space on the disk.").what());
  fs.SetFault(path, fake::Fault::WriteProtect);
  EXPECT_EQ(second(), OpenError(path, "The media is write protected.").what());
  EXPECT_EQ(caption.caption, "first");
  EXPECT_EQ(fs.Text(path), "first\r\n");
}

}  // namespace
}  // namespace setup
