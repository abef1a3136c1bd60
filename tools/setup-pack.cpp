// Maintainer tool: packs a folder into the payload archive, lists an archive, extracts one.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Pack.h"
#include "archive/extract.h"
#include "archive/resfile.h"
#include "platform/posix/PosixFileSystem.h"

namespace {

const char kUsage[] =
    "usage: setup-pack pack <folder> <archive> | list <archive> | extract <archive> <folder>";

class ConsoleUi : public setup::Ui {
 public:
  void ShowMessage(const std::string& text) override { std::printf("%s\n", text.c_str()); }
  void RequestEnd() override { ended_ = true; }
  bool EndRequested() const override { return ended_; }
  void ProcessMessages() override {}

 private:
  bool ended_ = false;
};

setup::ResFile Load(setup::FileSystem& fs, const std::string& archive) {
  setup::ResFile catalogue;
  catalogue.LoadResData(fs.ReadWholeFile(archive), archive, nullptr);
  return catalogue;
}

int Run(const std::vector<std::string>& args) {
  setup::PosixFileSystem fs;
  if (args.size() == 3 && args[0] == "pack") {
    const setup::Bytes archive = setup::PackArchive(setup::ReadPayloadFolder(args[1]));
    fs.WriteWholeFile(args[2], archive);
    return 0;
  }
  if (args.size() == 2 && args[0] == "list") {
    const setup::ResFile catalogue = Load(fs, args[1]);
    for (std::size_t i = 0; i < catalogue.ResFiles.size(); ++i) {
      const setup::TFile& f = catalogue.ResFiles[i];
      std::printf("%2zu %8u %s\n", i, static_cast<unsigned>(f.size), f.name.c_str());
    }
    return 0;
  }
  if (args.size() == 3 && args[0] == "extract") {
    const setup::ResFile catalogue = Load(fs, args[1]);
    std::string folder = args[2];
    if (folder.back() != '/') folder += '/';
    // Entries at the top have no folder part of their own to create.
    fs.CreateFolders(folder);
    ConsoleUi ui;
    setup::ExtractAll(catalogue, fs, ui, folder);
    return 0;
  }
  std::fprintf(stderr, "%s\n", kUsage);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const auto& a : args) {
    if (a.empty()) {
      std::fprintf(stderr, "%s\n", kUsage);
      return 1;
    }
  }
  try {
    return Run(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "setup-pack: %s\n", e.what());
    return 1;
  }
}
