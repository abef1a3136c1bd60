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

TEST_F(SetupLogTest, FailureRaisesAndKeepsTheCaption) {
  fs.PutFolder("C:\\Tools\\");
  log.WriteLog("first");
  fs.SetFault(path, fake::Fault::WriteProtect);
  EXPECT_THROW(log.WriteLog("second"), Error);
  EXPECT_EQ(caption.caption, "first");
  EXPECT_EQ(fs.Text(path), "first\r\n");
}

TEST_F(SetupLogTest, FullMediumRaisesAndKeepsTheCaption) {
  fs.PutFolder("C:\\Tools\\");
  log.WriteLog("first");
  fs.SetFreeSpace(3);
  EXPECT_THROW(log.WriteLog("second"), Error);
  EXPECT_EQ(caption.caption, "first");
}

}  // namespace
}  // namespace setup
