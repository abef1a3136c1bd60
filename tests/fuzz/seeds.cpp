// Writes the fuzzers' starting inputs below a folder, one sub-folder per target: small archives
// packed as the build packs the payload, settings values, captions and ROM images.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "Pack.h"
#include "platform/posix/PosixFileSystem.h"

namespace {

using namespace setup;

Bytes Of(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// Bytes before and after an "Adapter:" marker, with room for the ID.
Bytes Rom(std::size_t before, std::size_t after) {
  return Of(std::string(before, 'r') + "Adapter:XXXX" + std::string(after, 'r'));
}

std::vector<std::pair<std::string, Bytes>> ArchiveSeeds() {
  const std::vector<PayloadFile> small = {{"readme.txt", Of("hello")},
                                          {"Skylarch\\global.ini", Of("[system]\r\nisJP=1\r\n")},
                                          {"Skylarch\\skin\\winttlr.bmp", Bytes(40, 0x42)},
                                          {"_BOOT_MP.nds", Rom(16, 4)}};
  return {{"empty", PackArchive({})},
          {"one", PackArchive({{"a.bin", {1, 2, 3}}})},
          {"small", PackArchive(small)},
          {"twins", PackArchive({{"Same.txt", {1}}, {"SAME.TXT", {2}}, {"dir/x.dat", {}}})},
          {"climbs", PackArchive({{"ok.txt", {1}}, {"..\\up.txt", {2}}})}};
}

std::vector<std::pair<std::string, Bytes>> ProfileIntSeeds() {
  std::vector<std::pair<std::string, Bytes>> seeds;
  int i = 0;
  for (const char* text : {"0", "1", "-1", "+7", "2147483647", "-2147483648", "2147483648", "$FF",
                           "0x7fffffff", "0XFFFFFFFF", "x10", "X1", "0x", "", " 1", "1 "}) {
    seeds.emplace_back("value" + std::to_string(i++), Of(text));
  }
  return seeds;
}

std::vector<std::pair<std::string, Bytes>> CaptionSeeds() {
  // The first byte picks the language state: 0, 1, from the settings file, undefined.
  auto seed = [](std::uint8_t state, const std::string& text) {
    Bytes b{state};
    b.insert(b.end(), text.begin(), text.end());
    return b;
  };
  return {{"english", seed(0, "Install|インストール")},
          {"japanese", seed(1, "Install|インストール")},
          {"settings", seed(2, "1\nE: Removable [CARD]|E: リムーバブル [CARD]")},
          {"unset", seed(2, "7\nOK|はい")},
          {"undefined", seed(3, "a|b")},
          {"nobar", seed(0, "Cancel")}};
}

std::vector<std::pair<std::string, Bytes>> AdapterIdSeeds() {
  // ID length, bytes left out of the size, the ID, the image.
  auto seed = [](std::string id, std::uint8_t cut, const Bytes& image) {
    Bytes b{static_cast<std::uint8_t>(id.size()), cut};
    b.insert(b.end(), id.begin(), id.end());
    b.insert(b.end(), image.begin(), image.end());
    return b;
  };
  return {{"middle", seed("SCSD", 0, Rom(32, 32))},
          {"at-end", seed("M3CF", 0, Rom(20, 0))},
          {"cut-off", seed("NJSD", 1, Rom(20, 0))},
          {"short-id", seed("AB", 0, Rom(0, 8))},
          {"none", seed("MPCF", 0, Of("no marker in here"))}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz-seeds <folder>\n");
    return 1;
  }
  try {
    PosixFileSystem fs;
    const std::string root = std::string(argv[1]) + "/";
    const std::pair<const char*, std::vector<std::pair<std::string, Bytes>>> targets[] = {
        {"archive", ArchiveSeeds()},
        {"profile_int", ProfileIntSeeds()},
        {"captions", CaptionSeeds()},
        {"adapter_id", AdapterIdSeeds()}};
    for (const auto& [target, seeds] : targets) {
      fs.CreateFolders(root + target);
      for (const auto& [name, bytes] : seeds) fs.WriteWholeFile(root + target + "/" + name, bytes);
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz-seeds: %s\n", e.what());
    return 1;
  }
}
