#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "install/dosbox.h"

namespace setup {
namespace {

const char kComSpec[] = "C:\\WINDOWS\\system32\\cmd.exe";
const char kNotepad[] = "\"notepad.exe\" \"global.ini\"";

TEST(DosCommandLine, WrapsTheCommandInQuotesAfterSlashC) {
  EXPECT_EQ(DosCommandLine(kComSpec, kNotepad),
            "C:\\WINDOWS\\system32\\cmd.exe /c \"\"notepad.exe\" \"global.ini\"\"");
  EXPECT_EQ(DosCommandLine("cmd", ""), "cmd /c \"\"");
}

class ExecDosCommandTest : public ::testing::Test {
 protected:
  ExecDosCommandTest() { processes.env["ComSpec"] = kComSpec; }
  fake::FakeProcesses processes;
  fake::FakeUi ui;
};

TEST_F(ExecDosCommandTest, StartsHiddenInTheFolderWithoutWaiting) {
  processes.timeoutsBeforeEnd = 5;
  ExecDosCommand(processes, ui, false, "E:\\Skylarch", kNotepad);
  ASSERT_EQ(processes.started.size(), 1u);
  EXPECT_EQ(processes.started[0].commandLine,
            "C:\\WINDOWS\\system32\\cmd.exe /c \"\"notepad.exe\" \"global.ini\"\"");
  EXPECT_EQ(processes.started[0].folder, "E:\\Skylarch");
  EXPECT_EQ(processes.log, std::vector<std::string>{"close"});
  EXPECT_EQ(ui.pumps, 0);
}

TEST_F(ExecDosCommandTest, WaitPumpsMessagesBetweenTimeouts) {
  processes.timeoutsBeforeEnd = 3;
  ExecDosCommand(processes, ui, true, "C:\\", "echo x>out.txt");
  EXPECT_EQ(processes.log,
            (std::vector<std::string>{"wait 100", "wait 100", "wait 100", "wait 100", "close"}));
  EXPECT_EQ(ui.pumps, 3);
}

TEST_F(ExecDosCommandTest, WaitForAProcessThatEndsAtOnce) {
  ExecDosCommand(processes, ui, true, "C:\\", "exit");
  EXPECT_EQ(processes.log, (std::vector<std::string>{"wait 100", "close"}));
  EXPECT_EQ(ui.pumps, 0);
}

TEST_F(ExecDosCommandTest, FailedWaitEndsTheLoop) {
  struct FailingProcess : Process {
    explicit FailingProcess(int* waits) : waits_(waits) {}
    Wait WaitFor(unsigned) override {
      ++*waits_;
      return Wait::Failed;
    }
    int* waits_;
  };
  struct Starter : fake::FakeProcesses {
    int waits = 0;
    std::unique_ptr<Process> StartHidden(const std::string&, const std::string&) override {
      return std::make_unique<FailingProcess>(&waits);
    }
  } starter;
  starter.env["ComSpec"] = kComSpec;
  ExecDosCommand(starter, ui, true, "C:\\", "x");
  EXPECT_EQ(starter.waits, 1);
  EXPECT_EQ(ui.pumps, 0);
}

TEST_F(ExecDosCommandTest, NoComSpecSkipsSilently) {
  processes.env.clear();
  ExecDosCommand(processes, ui, true, "C:\\", kNotepad);
  processes.env["ComSpec"] = "";
  ExecDosCommand(processes, ui, true, "C:\\", kNotepad);
  EXPECT_TRUE(processes.started.empty());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ExecDosCommandTest, StartFailureIsNotReported) {
  processes.startFails = true;
  ExecDosCommand(processes, ui, true, "C:\\", kNotepad);
  EXPECT_EQ(processes.started.size(), 1u);
  EXPECT_TRUE(processes.log.empty());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.pumps, 0);
}

}  // namespace
}  // namespace setup
