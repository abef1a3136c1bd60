// A default setup onto a card that already holds older versions of everything it writes, with
// each file-system operation of the setup failing in turn: whatever fails, no byte of the card
// is lost or half-written, and Setup pressed again completes the card.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <ostream>

#include "FakePlatform.h"
#include "ScriptedQuestions.h"
#include "TestArchive.h"
#include "install/Sequences.h"

namespace setup {
namespace {

using fake::FakeFileSystem;
using fake::Fault;
using Card = std::map<std::string, Bytes>;

const char kCard[] = "E:\\";
const char kBanner[] = "E:\\Skylarch\\banner\\";

Card FilesOf(const FakeFileSystem& fs) {
  Card card;
  for (const auto& path : fs.FilesUnder(kCard)) card[path] = *fs.Get(path);
  return card;
}

// The paths whose bytes differ, or that only one side has; "" when the cards are the same.
std::string Differences(const Card& got, const Card& want) {
  std::string out;
  for (const auto& [path, bytes] : got) {
    const auto w = want.find(path);
    if (w == want.end())
      out += " extra " + path;
    else if (w->second != bytes)
      out += " differs " + path;
  }
  for (const auto& [path, bytes] : want) {
    if (!got.count(path)) out += " missing " + path;
  }
  return out;
}

// One run of the program: started, a drive chosen, then Setup pressed by the test.
struct Program {
  Program(const FakeFileSystem& card, bool backups) : fs(card) {
    module.resources["SETUPDATA"] = test::StandinArchive();
    processes.env["ComSpec"] = "C:\\WINDOWS\\system32\\cmd.exe";
    profile.WriteString("C:\\Tools\\Setup.ini", "system", "isJP", "0");
    volumes.drives['E'] = {{"CARD", 2, 255, 0}, 2, true};
    seq.FormCreate();
    seq.SelDrvFormCreate();
    seq.StartupTimerTimer();
    windows.shown.Set(Check::sysExistBackupChk, backups);  // the user's click
  }
  // The error's text, nullopt when the setup ran through.
  std::optional<std::string> PressSetup() {
    try {
      seq.SetupBtnClick();
    } catch (const Error& e) {
      return std::string(e.what());
    }
    return std::nullopt;
  }

  FakeFileSystem fs;
  fake::FakeProfile profile;
  fake::FakeProcesses processes;
  fake::FakeModule module;
  fake::FakeUi ui;
  fake::FakeVolumes volumes;
  test::ScriptedQuestions windows;
  Sequences seq{Services{fs, profile, volumes, processes, module, ui}, windows};
};

// Every file a default setup writes, with bytes of its own, and an older .bak beside every
// third one; the banner folder is left for the setup to make.
FakeFileSystem StartingCard() {
  FakeFileSystem empty;
  empty.PutFolder("C:\\Tools\\");
  Program clean(empty, true);
  EXPECT_FALSE(clean.PressSetup());
  FakeFileSystem card;
  card.PutFolder("C:\\Tools\\");
  int n = 0;
  for (const auto& [path, bytes] : FilesOf(clean.fs)) {
    const std::string old = "old bytes of " + path + std::string(n % 7, '+');
    card.PutFile(path, old);
    if (n++ % 3 == 0) card.PutFile(path + ".bak", "an older generation of " + path);
  }
  return card;
}

// The faults an operation can meet: a read is refused or locked, anything that writes can meet
// all four.
bool Applies(const std::string& op, Fault fault) {
  const bool reads = op.starts_with("read ");
  return !reads || fault == Fault::Refuse || fault == Fault::Lock;
}

struct Sweep {
  bool backups;
  const char* name;
};

void PrintTo(const Sweep& sweep, std::ostream* os) {
  *os << sweep.name;
}

class FaultSweepTest : public ::testing::TestWithParam<Sweep> {};

TEST_P(FaultSweepTest, NoFaultAtAnyOperationLosesOrCutsAFile) {
  const bool backups = GetParam().backups;
  const FakeFileSystem start = StartingCard();
  const Card before = FilesOf(start);

  Program reference(start, backups);
  const std::size_t first = reference.fs.Operations();
  ASSERT_FALSE(reference.PressSetup());
  const std::vector<std::string> ops(
      reference.fs.journal.end() - static_cast<std::ptrdiff_t>(reference.fs.Operations() - first),
      reference.fs.journal.end());
  const Card complete = FilesOf(reference.fs);
  // The files a clean run backs up, with the bytes their .bak must hold: with backups, the 35
  // configuration files and the tool; ROM images never.
  Card backupOf;
  for (const auto& [path, bytes] : before) {
    const auto bak = complete.find(path + ".bak");
    if (bak != complete.end() && bak->second == bytes) backupOf[path] = bytes;
  }
  ASSERT_EQ(backupOf.size(), backups ? 36u : 0u);

  int runs = 0;
  for (std::size_t index = 0; index < ops.size(); ++index) {
    for (const Fault fault : {Fault::Refuse, Fault::Lock, Fault::WriteProtect, Fault::Full}) {
      if (!Applies(ops[index], fault)) continue;
      ++runs;
      const std::string where = ops[index] + " (fault " + std::to_string(int(fault)) + ")";
      Program program(start, backups);
      program.fs.FailOperation(index, fault);
      const auto error = program.PressSetup();
      ASSERT_TRUE(program.fs.faultMet) << where;
      const std::string met = *program.fs.faultMet;

      if (!error) {
        // Only a folder that could not be made, or was there already, goes unreported; the
        // files are all complete then.
        ASSERT_TRUE(ops[index].starts_with("mkdir ")) << where;
        EXPECT_EQ(Differences(FilesOf(program.fs), complete), "") << where;
        if (met != kBanner) {
          EXPECT_TRUE(program.fs.FolderExists(kBanner)) << where;
        }
        continue;
      }
      // The file, or for a folder that could not be made the file that was to go into it.
      EXPECT_NE(error->find(met), std::string::npos) << where << ": " << *error;

      const Card after = FilesOf(program.fs);
      for (const auto& [path, bytes] : after) {
        const auto old = before.find(path);
        const bool isOld = old != before.end() && old->second == bytes;
        const bool isNew = complete.at(path) == bytes;
        EXPECT_TRUE(isOld || isNew) << where << ": " << path << " holds neither";
        // A file replaced by now has its old bytes in its .bak.
        if (isNew && !isOld && backupOf.count(path)) {
          EXPECT_EQ(after.at(path + ".bak"), backupOf.at(path)) << where << ": " << path;
        }
      }
      for (const auto& [path, bytes] : before) {
        EXPECT_TRUE(after.count(path)) << where << ": " << path << " is gone";
      }

      // The fault cleared, Setup pressed again in the same run completes the card, and every
      // .bak holds what the file held before the first attempt.
      EXPECT_FALSE(program.ui.EndRequested()) << where;
      const auto again = program.PressSetup();
      EXPECT_FALSE(again) << where << ": " << again.value_or("");
      EXPECT_EQ(Differences(FilesOf(program.fs), complete), "") << where;
      EXPECT_TRUE(program.fs.FolderExists(kBanner)) << where;
      EXPECT_TRUE(program.ui.EndRequested()) << where;
      if (::testing::Test::HasFailure()) return;
    }
  }
  std::printf("%s: %zu operations, %d faulted runs\n", GetParam().name, ops.size(), runs);
  EXPECT_GT(runs, 100);
}

INSTANTIATE_TEST_SUITE_P(Backups, FaultSweepTest,
                         ::testing::Values(Sweep{true, "backups_ticked"},
                                           Sweep{false, "backups_unticked"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup
