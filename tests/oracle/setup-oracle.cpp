// What one setup attempt must leave, for the end-to-end checks: reads the archive and the card
// as it is before the attempt, and writes the expected card, Setup.log and settings.
//
//   setup-oracle <archive> <card folder> <out folder> [--start P] [--line L] [--isjp N]
//                [--untick NAME]... [--fails-at PATH] [--refused 1]
//
// <out>/card/ is the card afterwards (with the empty banner folder once the attempt completes),
// <out>/Setup.log its lines (UTF-8, CR LF), <out>/settings the settings as sorted
// "section.key=value" lines (none when the attempt fails). --refused 1: the card is too small.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "Expectation.h"

namespace fs = std::filesystem;
using namespace setup;

namespace {

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("cannot read " + path.string());
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw Error("cannot write " + path.string());
}

std::string WindowsForm(std::string path) {
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

std::string UnixForm(std::string path) {
  for (char& c : path) c = c == '\\' ? '/' : c;
  return path;
}

test::Tree ReadCard(const fs::path& root) {
  test::Tree tree;
  if (!fs::exists(root)) return tree;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file() || e.path().filename() == ".windows-label") continue;
    tree[WindowsForm(fs::relative(e.path(), root).string())] = ReadAll(e.path());
  }
  return tree;
}

Check ChoiceNamed(const std::string& name) {
  for (const ChoiceDef& c : kChoices) {
    if (c.name == name) return c.id;
  }
  throw Error("no choice " + name);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc < 4) {
      std::cerr << "usage: setup-oracle <archive> <card folder> <out folder> [options]\n";
      return 2;
    }
    const Bytes archive = ReadAll(argv[1]);
    ResFile catalogue;
    catalogue.LoadResData(archive, "setupdata", nullptr);
    test::SetupCase c;
    c.before = ReadCard(argv[2]);
    const fs::path out = argv[3];
    for (int i = 4; i + 1 < argc; i += 2) {
      const std::string option = argv[i], value = argv[i + 1];
      if (option == "--start") {
        c.startPath = value;
      } else if (option == "--line") {
        c.driveLine = value;
      } else if (option == "--isjp") {
        c.storedLanguage = std::stoi(value);
      } else if (option == "--untick") {
        c.choices.Set(ChoiceNamed(value), false);
      } else if (option == "--fails-at") {
        c.failsAt = value;
      } else if (option == "--refused") {
        c.refused = value == "1";
      } else {
        throw Error("unknown option " + option);
      }
    }

    const test::SetupOutcome expected = test::ExpectSetup(catalogue, c);
    fs::remove_all(out);
    fs::create_directories(out / "card");
    for (const auto& [path, bytes] : expected.card) {
      WriteAll(out / "card" / UnixForm(path), std::string(bytes.begin(), bytes.end()));
    }
    if (!expected.settings.empty()) fs::create_directories(out / "card" / "Skylarch" / "banner");
    std::string log, settings;
    for (const auto& line : expected.log) log += line + "\r\n";
    for (const auto& [section, keys] : expected.settings) {
      for (const auto& [key, value] : keys) settings += section + "." + key + "=" + value + "\n";
    }
    WriteAll(out / "Setup.log", log);
    WriteAll(out / "settings", settings);
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "setup-oracle: " << e.what() << "\n";
    return 1;
  }
}
