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

TEST(ExecDosCommand, StartsHiddenInTheFolderWithoutWaiting) {
  fake::FakeProcesses processes;
  fake::FakeUi ui;
  processes.env["ComSpec"] = kComSpec;
  processes.timeoutsBeforeEnd = 5;
  ExecDosCommand(processes, ui, false, "E:\\Skylarch", kNotepad);
  ASSERT_EQ(processes.started.size(), 1u);
  EXPECT_EQ(processes.started[0].commandLine,
            "C:\\WINDOWS\\system32\\cmd.exe /c \"\"notepad.exe\" \"global.ini\"\"");
  EXPECT_EQ(processes.started[0].folder, "E:\\Skylarch");
  EXPECT_EQ(processes.log, std::vector<std::string>{"close"});
  EXPECT_EQ(ui.pumps, 0);
}

// The waiting mode: short waits with a message pump between them until the process ends.
TEST(ExecDosCommand, WaitingMode) {
  const std::string w = "wait 100";
  const struct {
    const char* name;
    const char* comSpec;  // nullptr: not set
    bool startFails, waitFails;
    int timeouts;
    std::size_t starts;
    std::vector<std::string> log;
    int pumps;
  } cases[] = {
      {"pumps between timeouts", kComSpec, false, false, 3, 1, {w, w, w, w, "close"}, 3},
      {"ends at once", kComSpec, false, false, 0, 1, {w, "close"}, 0},
      {"a failed wait ends the loop", kComSpec, false, true, 5, 1, {w, "close"}, 0},
      {"no ComSpec starts nothing", nullptr, false, false, 0, 0, {}, 0},
      {"an empty ComSpec starts nothing", "", false, false, 0, 0, {}, 0},
      {"a failed start is not reported", kComSpec, true, false, 0, 1, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeProcesses processes;
    fake::FakeUi ui;
    if (c.comSpec) processes.env["ComSpec"] = c.comSpec;
    processes.startFails = c.startFails;
    processes.waitFails = c.waitFails;
    processes.timeoutsBeforeEnd = c.timeouts;
    ExecDosCommand(processes, ui, true, "C:\\", kNotepad);
    EXPECT_EQ(processes.started.size(), c.starts);
    EXPECT_EQ(processes.log, c.log);
    EXPECT_EQ(ui.pumps, c.pumps);
    EXPECT_TRUE(ui.messages.empty());
  }
}

}  // namespace
}  // namespace setup
