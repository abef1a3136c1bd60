// Times a full default installation from the stand-in archive through the POSIX file system
// against plain copies of the same output bytes: one with the same durability (each file
// flushed to the medium before it is closed), one without; and the same setup again onto the
// card that holds that installation. A program, not a test.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "Pack.h"
#include "StandinPayload.h"
#include "archive/resfile.h"
#include "install/Installation.h"
#include "platform/posix/PosixFileSystem.h"

namespace fs = std::filesystem;
using namespace setup;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 15;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class QuietUi : public Ui {
 public:
  int messages = 0;
  void ShowMessage(const std::string& text) override {
    ++messages;
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  void RequestEnd() override { ended = true; }
  bool EndRequested() const override { return ended; }
  void ProcessMessages() override {}
  bool ended = false;
};

class NoCaption : public MainCaption {
 public:
  void SetMainCaption(const std::string&) override {}
};

struct OutputFile {
  fs::path relative;
  Bytes data;
};

fs::path FreshFolder(const fs::path& base, const std::string& name) {
  const fs::path p = base / name;
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

std::vector<OutputFile> Collect(const fs::path& root) {
  std::vector<OutputFile> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file() || e.path().filename() == "Setup.log") continue;
    std::ifstream in(e.path(), std::ios::binary);
    Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    files.push_back({fs::relative(e.path(), root), std::move(data)});
  }
  std::sort(files.begin(), files.end(),
            [](const OutputFile& a, const OutputFile& b) { return a.relative < b.relative; });
  return files;
}

void PlainCopy(const std::vector<OutputFile>& files, const fs::path& root) {
  for (const auto& f : files) {
    const fs::path target = root / f.relative;
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(f.data.data()),
              static_cast<std::streamsize>(f.data.size()));
    if (!out) throw std::runtime_error("cannot write " + target.string());
  }
}

// The same bytes with the durability the installation gives every file: written, flushed to
// the medium, closed.
void DurableCopy(const std::vector<OutputFile>& files, const fs::path& root) {
  for (const auto& f : files) {
    const fs::path target = root / f.relative;
    fs::create_directories(target.parent_path());
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool ok = fd >= 0;
    for (std::size_t done = 0; ok && done < f.data.size();) {
      const ssize_t n = ::write(fd, f.data.data() + done, f.data.size() - done);
      ok = n > 0;
      if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    if (fd >= 0 && ::close(fd) != 0) ok = false;
    if (!ok) throw std::runtime_error("cannot write " + target.string());
  }
}

// The folder's volume as the setup's space check sees it.
std::optional<VolumeSpace> SpaceOf(const fs::path& folder) {
  struct statvfs st;
  if (::statvfs(folder.c_str(), &st) != 0) return std::nullopt;
  return VolumeSpace{st.f_frsize, std::uint64_t{st.f_bavail} * st.f_frsize,
                     std::uint64_t{st.f_blocks} * st.f_frsize};
}

// The setup's install steps as the program runs them: planned and checked, then installed.
void Install(FileSystem& files, const ResFile& catalogue, Ui& ui, const Choices& choices,
             MainCaption& caption, const fs::path& card) {
  SetupLog log(files, caption, (card / "Setup.log").string());
  // Windows-form root with its trailing "\"; the POSIX file system maps it to "/".
  if (InstallPlanned(files, log, ui, catalogue, choices, card.string() + "\\", SpaceOf(card))) {
    throw std::runtime_error("no room for the bench");
  }
}

}  // namespace

int main() {
  try {
    std::string base = (fs::temp_directory_path() / "setup-bench.XXXXXX").string();
    if (!::mkdtemp(base.data())) {
      std::perror("mkdtemp");
      return 1;
    }
    const fs::path work = base;

    auto start = Clock::now();
    const Bytes archive = PackArchive(StandinPayload());
    const double packMs = MsSince(start);
    start = Clock::now();
    ResFile catalogue;
    catalogue.LoadResData(archive, "setupdata", nullptr);
    const double loadMs = MsSince(start);

    PosixFileSystem posix;
    const Choices choices;  // as the main window creates them
    QuietUi ui;
    NoCaption caption;
    double bestEngine = 1e300, bestRepeat = 1e300, bestPlain = 1e300, bestDurable = 1e300;
    std::vector<OutputFile> outputs;
    for (int round = 0; round < kRounds; ++round) {
      const fs::path card = FreshFolder(work, "card");
      start = Clock::now();
      Install(posix, catalogue, ui, choices, caption, card);
      bestEngine = std::min(bestEngine, MsSince(start));
      // The same setup again, backups ticked, onto the card that holds it: nothing differs.
      start = Clock::now();
      Install(posix, catalogue, ui, choices, caption, card);
      bestRepeat = std::min(bestRepeat, MsSince(start));

      if (outputs.empty()) outputs = Collect(card);
      const fs::path plain = FreshFolder(work, "plain");
      start = Clock::now();
      PlainCopy(outputs, plain);
      bestPlain = std::min(bestPlain, MsSince(start));

      const fs::path durable = FreshFolder(work, "durable");
      start = Clock::now();
      DurableCopy(outputs, durable);
      bestDurable = std::min(bestDurable, MsSince(start));
    }
    fs::remove_all(work);

    std::size_t bytes = 0;
    for (const auto& f : outputs) bytes += f.data.size();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    std::printf("archive: %zu bytes, %d entries (pack %.2f ms, load %.2f ms)\n", archive.size(),
                catalogue.ResFileCount, packMs, loadMs);
    std::printf("output: %zu files, %zu bytes; best of %d rounds\n", outputs.size(), bytes,
                kRounds);
    std::printf("engine install (planned, then installed; log included):          %.2f ms\n",
                bestEngine);
    std::printf("the same setup again onto that installation, backups ticked:     %.2f ms\n",
                bestRepeat);
    std::printf("plain copy of the same bytes, each file flushed before close:   %.2f ms\n",
                bestDurable);
    std::printf("plain std::ofstream copy of the same bytes, unflushed:           %.2f ms\n",
                bestPlain);
    std::printf("ratio engine / flushed copy: %.2f\n", bestEngine / bestDurable);
    std::printf("ratio engine / unflushed copy: %.2f\n", bestEngine / bestPlain);
    std::printf("ratio repeated setup / fresh install: %.2f\n", bestRepeat / bestEngine);
    std::printf("peak memory (ru_maxrss): %ld KiB\n", usage.ru_maxrss);
    return ui.messages == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "setup-bench: %s\n", e.what());
    return 1;
  }
}
