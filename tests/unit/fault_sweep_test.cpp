// A default setup onto a card that already holds older versions of everything it writes, with
// each file-system operation of the setup failing in turn: whatever fails, no byte of the card
// is lost or half-written, and both Setup pressed again and a new start of the program complete
// the card with the user's own bytes in every .bak.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <ostream>

#include "FakePlatform.h"
#include "ScriptedQuestions.h"
#include "TestArchive.h"
#include "install/Installation.h"
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
  Program(const FakeFileSystem& card, bool backups, const char* isJP = "0") : fs(card) {
    module.resources["SETUPDATA"] = test::StandinArchive();
    processes.env["ComSpec"] = "C:\\WINDOWS\\system32\\cmd.exe";
    profile.WriteString("C:\\Tools\\Setup.ini", "system", "isJP", isJP);
    volumes.drives['E'] = {{"CARD", 2, 255, 0, "FAT32"}, 2, true};
    volumes.files = &fs;
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

  // The user's bytes of every file a setup backs up, in the file or in its .bak; the paths
  // where they are gone.
  const auto lost = [&](const FakeFileSystem& fs) {
    std::string out;
    for (const auto& [path, bytes] : backupOf) {
      if (fs.Get(path) != bytes && fs.Get(path + ".bak") != bytes) out += " " + path;
    }
    return out;
  };
  // Setup pressed on a card: it completes, and the user's bytes are kept.
  const auto completes = [&](Program& program, const std::string& where) {
    const auto error = program.PressSetup();
    EXPECT_FALSE(error) << where << ": " << error.value_or("");
    EXPECT_EQ(Differences(FilesOf(program.fs), complete), "") << where;
    EXPECT_EQ(lost(program.fs), "") << where;
    EXPECT_TRUE(program.fs.FolderExists(kBanner)) << where;
    EXPECT_TRUE(program.ui.EndRequested()) << where;
  };

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
      // The card as the attempt left it, for a new start of the program.
      const FakeFileSystem left = program.fs;

      if (!error) {
        // Only a folder that could not be made, or was there already, goes unreported; the
        // files are all complete then.
        ASSERT_TRUE(ops[index].starts_with("mkdir ")) << where;
        EXPECT_EQ(Differences(FilesOf(program.fs), complete), "") << where;
        if (met != kBanner) {
          EXPECT_TRUE(program.fs.FolderExists(kBanner)) << where;
        }
      } else {
        // The file, or for a folder that could not be made the file that was to go into it.
        EXPECT_NE(error->find(met), std::string::npos) << where << ": " << *error;

        const Card after = FilesOf(program.fs);
        for (const auto& [path, bytes] : after) {
          const auto old = before.find(path);
          const bool isOld = old != before.end() && old->second == bytes;
          const bool isNew = complete.at(path) == bytes;
          EXPECT_TRUE(isOld || isNew) << where << ": " << path << " holds neither";
        }
        for (const auto& [path, bytes] : before) {
          EXPECT_TRUE(after.count(path)) << where << ": " << path << " is gone";
        }
        EXPECT_EQ(lost(program.fs), "") << where;

        // The fault cleared, Setup pressed again in the same start completes the card.
        EXPECT_FALSE(program.ui.EndRequested()) << where;
        completes(program, where + ", pressed again");
      }
      // So does a new start of the program over the card the attempt left.
      Program restarted(left, backups);
      completes(restarted, where + ", started again");
      if (::testing::Test::HasFailure()) return;
    }
  }
  std::printf("%s: %zu operations, %d faulted runs, each completed by a retry and by a new start\n",
              GetParam().name, ops.size(), runs);
  EXPECT_GT(runs, 100);
}

// The room a setup needs is worked out before its first write, in the card's clusters: with
// exactly the peak free the setup completes; one cluster less and it is refused after its three
// start lines, before anything reaches the card, naming the drive and both sizes.
TEST(RoomCheck, ExactPeakCompletesAndOneClusterShortIsRefusedBeforeAnyWrite) {
  const std::uint64_t roomy = 64u << 20;
  FakeFileSystem empty;
  empty.PutFolder("C:\\Tools\\");
  // An earlier setup's files, some of them the user's, and older .bak files.
  const FakeFileSystem used = StartingCard();
  const FakeFileSystem* cards[] = {&empty, &used};
  for (const std::uint64_t cluster : {512u, 4096u}) {
    for (const FakeFileSystem* card : cards) {
      const std::string what = std::to_string(cluster) + (card == &empty ? " empty" : " used");
      // The peak as the card's own accounting counts it during a setup with room to spare.
      FakeFileSystem probe = *card;
      probe.Mount(kCard, cluster, roomy);
      const std::uint64_t free = probe.SpaceOf(kCard)->freeBytes;
      Program measured(probe, true);
      ASSERT_FALSE(measured.PressSetup()) << what;
      const std::uint64_t peak = free - measured.fs.LeastFree(kCard);
      std::printf("peak of a default setup, %s card, %llu-byte clusters: %llu bytes\n",
                  card == &empty ? "empty" : "used", static_cast<unsigned long long>(cluster),
                  static_cast<unsigned long long>(peak));

      for (const bool isShort : {false, true}) {
        FakeFileSystem start = *card;
        start.Mount(kCard, cluster, roomy - free + peak - (isShort ? cluster : 0));
        Program program(start, true, isShort && cluster == 512 ? "1" : "0");
        const auto error = program.PressSetup();
        if (!isShort) {
          EXPECT_FALSE(error) << what << ": " << error.value_or("");
          EXPECT_EQ(Differences(FilesOf(program.fs), FilesOf(measured.fs)), "") << what;
          continue;
        }
        ASSERT_TRUE(error) << what;
        EXPECT_EQ(Differences(FilesOf(program.fs), FilesOf(*card)), "") << what;
        for (const auto& op : program.fs.journal) {
          EXPECT_FALSE(op.find(" E:") != std::string::npos && !op.starts_with("read "))
              << what << ": " << op;
        }
        EXPECT_FALSE(program.fs.FolderExists("E:\\Skylarch\\banner\\")) << what;
        const auto log = program.fs.Lines("C:\\Tools\\Setup.log");
        ASSERT_EQ(log.size(), 3u) << what;
        EXPECT_EQ(log[2], "TargetInfo=E:\\ Removable [CARD]") << what;
        EXPECT_NE(error->find(cluster == 512 ? "E:\\ の空き容量" : "space on E:\\."),
                  std::string::npos)
            << *error;
        EXPECT_FALSE(program.ui.EndRequested()) << what;
      }
    }
  }
}

// The sizes in the error: need rounded up, free rounded down to a tenth of a MB, so they never
// look as if they fit.
TEST(RoomCheck, TextRoundsTheNeedUpAndTheFreeSpaceDown) {
  const std::uint64_t mb = 1u << 20;
  EXPECT_EQ(NoRoomText("E:\\", {mb + 1, mb - 1}, false),
            "There is not enough free space on E:\\. The setup needs 1.1 MB; the drive has 0.9 MB "
            "free.");
  EXPECT_EQ(
      NoRoomText("F:\\", {25 * mb / 10, 0}, true),
      "F:\\ の空き容量が足りません。セットアップには 2.5 MB 必要ですが、空きは 0.0 MB です。");
}

INSTANTIATE_TEST_SUITE_P(Backups, FaultSweepTest,
                         ::testing::Values(Sweep{true, "backups_ticked"},
                                           Sweep{false, "backups_unticked"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup
