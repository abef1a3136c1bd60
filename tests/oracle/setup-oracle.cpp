// The end-to-end checks: what the setup attempts of one run must leave, worked out from the
// archive and the card as the run found it, compared with what the program left.
//
//   setup-oracle check <archive> <work> <card> <program> [--start P] [--codepage CP] <attempt>
//                [--then <attempt>]...
//       <work>/before is the card when the run began, <work>/driver.log the driver's output (the
//       drive line it picked, the message box it answered). Prints the first difference of the
//       card, the log and the settings, and exits with 1 when there is one.
//   setup-oracle old <archive> <card> <attempt>     every file the attempt writes, holding
//                                                   "old <path>" CR LF
//   setup-oracle fill <archive> <card> <used>/<total> <file> <attempt>
//       <file> takes the card's free 512-byte clusters but what the attempt, failing at its
//       --fails-at ROM image, writes up to the middle of that image.
//   setup-oracle kept <files> <folder>    each of the files is in the folder, or in its .bak
//
// <attempt> is [--isjp N] [--untick NAME]... [--fails-at PATH] [--refused 1].
#include <iconv.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "Expectation.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;
using namespace setup;

namespace {

using Entries = std::set<std::string>;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string UnixForm(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// The card's files by their "\"-separated path; `entries` gets each file as "path NUL bytes" and
// each folder as "path/". Wine's label file and the FAT volume label (fusefat lists it as an
// empty file) are not the program's.
test::Tree ReadCard(const fs::path& root, Entries& entries) {
  test::Tree files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    std::string name = fs::relative(e.path(), root).generic_string();
    if (name == ".windows-label" || name == "CARD") continue;
    if (e.is_directory()) {
      entries.insert(name + "/");
      continue;
    }
    const std::string bytes = ReadAll(e.path());
    entries.insert(name + '\0' + bytes);
    std::replace(name.begin(), name.end(), '/', '\\');
    files[name] = Bytes(bytes.begin(), bytes.end());
  }
  return files;
}

// One attempt's options from argv[i] on, up to the next --then.
test::SetupCase Attempt(int& i, int argc, char** argv) {
  test::SetupCase c;
  for (; i + 1 < argc && std::string(argv[i]) != "--then"; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    const auto box = std::find_if(kChoices.begin(), kChoices.end(),
                                  [&](const ChoiceDef& d) { return d.name == value; });
    if (option == "--isjp")
      c.storedLanguage = std::stoi(value);
    else if (option == "--untick" && box != kChoices.end())
      c.choices.Set(box->id, false);
    else if (option == "--fails-at")
      c.failsAt = value;
    else if (option == "--refused")
      c.refused = value == "1";
    else
      throw Error("cannot read " + option + " " + value);
  }
  if (i < argc && std::string(argv[i]) != "--then")
    throw Error("no value for " + std::string(argv[i]));
  return c;
}

std::size_t Clusters(const test::Tree& tree) {
  std::size_t n = 0;
  for (const auto& [name, bytes] : tree) n += (bytes.size() + 511) / 512;
  return n;
}

std::string Recode(std::string text, const std::string& codepage) {
  iconv_t cd = iconv_open(codepage.c_str(), "UTF-8");
  std::string out(text.size() * 2, '\0');
  char *in = text.data(), *to = out.data();
  std::size_t left = text.size(), room = out.size();
  if (cd == reinterpret_cast<iconv_t>(-1) ||
      iconv(cd, &in, &left, &to, &room) == static_cast<std::size_t>(-1))
    throw Error("cannot write the log in " + codepage);
  iconv_close(cd);
  return out.substr(0, out.size() - room);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The last line of the driver's output that begins with the prefix, without it.
std::string Seen(const std::string& log, const std::string& prefix) {
  std::string found;
  for (const auto& line : Lines(log))
    if (line.rfind(prefix, 0) == 0) found = line.substr(prefix.size());
  return found;
}

// The first entry one side holds and the other does not, up to its NUL; "" when none.
template <class Set>
std::string FirstDifference(const Set& want, const Set& got) {
  std::vector<std::string> missing, extra;
  std::set_difference(want.begin(), want.end(), got.begin(), got.end(), back_inserter(missing));
  std::set_difference(got.begin(), got.end(), want.begin(), want.end(), back_inserter(extra));
  if (!missing.empty())
    return "expected, not found: " + missing[0].substr(0, missing[0].find('\0'));
  if (!extra.empty()) return "found, not expected: " + extra[0].substr(0, extra[0].find('\0'));
  return "";
}

std::string LogDifference(const std::string& want, const std::string& got) {
  if (want == got) return "";
  const auto w = Lines(want), g = Lines(got);
  const auto at = std::mismatch(w.begin(), w.end(), g.begin(), g.end());
  return "line " + std::to_string(at.first - w.begin() + 1) + " is \"" +
         (at.second == g.end() ? "" : *at.second) + "\", expected \"" +
         (at.first == w.end() ? "" : *at.first) + "\"";
}

// The box of a card too small names the room needed, more than the room free, which is what the
// card has for the program (in tenths of a MB, rounded down); "" when it does.
std::string RoomBox(const std::string& shown, std::uintmax_t available) {
  const std::regex room(
      R"(on E:\\\. The setup needs (\d+)\.(\d) MB; the drive has (\d+)\.(\d) MB free)");
  const auto free = available * 10 / 1048576;
  std::smatch m;
  if (std::regex_search(shown, m, room) && std::stoul(m[3].str() + m[4].str()) == free &&
      std::stoul(m[1].str() + m[2].str()) > free)
    return "";
  return "it does not name more room needed than the " + std::to_string(free / 10) + "." +
         std::to_string(free % 10) + " MB free: " + shown;
}

int Check(const std::string& what, const std::string& difference) {
  std::cout << (difference.empty() ? "  PASS " : "  FAIL ") << what
            << (difference.empty() ? "" : ": " + difference) << "\n";
  return difference.empty() ? 0 : 1;
}

int CheckRun(const ResFile& catalogue, int argc, char** argv) {
  const fs::path work = argv[3], card = argv[4], program = argv[5];
  const std::string driverLog = ReadAll(work / "driver.log");
  std::string start, codepage, log, box;
  int i = 6;
  for (;
       i + 1 < argc && (argv[i] == std::string("--start") || argv[i] == std::string("--codepage"));
       i += 2)
    (argv[i] == std::string("--start") ? start : codepage) = argv[i + 1];
  Entries want, got;
  std::multiset<std::string> settings, ini;
  test::Tree files = ReadCard(work / "before", got);
  bool refused = false;
  for (; i <= argc; ++i) {
    test::SetupCase c = Attempt(i, argc, argv);
    c.startPath = start;
    c.driveLine = Seen(driverLog, "SELECTED ");
    c.before = files;
    const test::SetupOutcome out = test::ExpectSetup(catalogue, c);
    files = out.card;
    for (const auto& line : out.log) log += line + "\r\n";
    if (!out.settings.empty()) settings.clear(), want.insert("Skylarch/banner/");
    for (const auto& [section, keys] : out.settings) {
      for (const auto& [key, value] : keys) settings.insert(section + "." + key + "=" + value);
    }
    if (c.refused)
      refused = true, box = RoomBox(Seen(driverLog, "  message "), fs::space(card).available);
  }
  for (const auto& [path, bytes] : files) {
    const std::string entry = UnixForm(path) + '\0' + std::string(bytes.begin(), bytes.end());
    want.insert(entry);
    for (auto at = entry.find('/'); at < entry.find('\0'); at = entry.find('/', at + 1))
      want.insert(entry.substr(0, at + 1));
  }
  got.clear();
  ReadCard(card, got);

  const auto named = [&](const char* ext) { return fs::path(program).replace_extension(ext); };
  std::istringstream text(fs::exists(named(".ini")) ? ReadAll(named(".ini")) : "");
  // Sections matched ignoring case, as the profile functions do.
  for (std::string line, section; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 1 && line.front() == '[' && line.back() == ']')
      section = LowerAscii(line.substr(1, line.size() - 2));
    else if (line.find('=') != std::string::npos)
      ini.insert(section + "." + line);
  }
  return Check("the card holds the expected files and folders, byte for byte",
               FirstDifference(want, got)) +
         Check(named(".log").filename().string() + " holds the attempts' lines, in order",
               LogDifference(codepage.empty() ? log : Recode(log, codepage),
                             fs::is_regular_file(named(".log")) ? ReadAll(named(".log")) : "")) +
         Check(named(".ini").filename().string() + " holds the expected settings",
               settings.empty() && fs::exists(named(".ini")) ? "there should be none"
                                                             : FirstDifference(settings, ini)) +
         (refused ? Check("the box names the room needed and the room free", box) : 0);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string mode = argc > 3 ? argv[1] : "";
    Entries ignored;
    if (mode == "kept") {
      int lost = 0;
      for (const auto& [name, bytes] : ReadCard(argv[2], ignored)) {
        const fs::path on = fs::path(argv[3]) / UnixForm(name);
        const std::string user(bytes.begin(), bytes.end());
        const auto holds = [&](const fs::path& f) {
          return fs::is_regular_file(f) && ReadAll(f) == user;
        };
        if (holds(on) || holds(on.string() + ".bak")) continue;
        std::cout << "  the user's " << name << " is neither in the file nor in its .bak\n";
        lost = 1;
      }
      return lost;
    }
    if (mode != "check" && mode != "old" && mode != "fill") {
      std::cerr << "usage: setup-oracle check|old|fill <archive> ... | kept <files> <card>\n";
      return 2;
    }
    const std::string archive = ReadAll(argv[2]);
    ResFile catalogue;
    catalogue.LoadResData(Bytes(archive.begin(), archive.end()), "setupdata", nullptr);
    if (mode == "check") return CheckRun(catalogue, argc, argv);
    const fs::path card = argv[3];
    int i = mode == "old" ? 4 : 6;
    test::SetupCase c = Attempt(i, argc, argv);
    c.before = ReadCard(card, ignored);
    if (mode == "old") {
      for (const auto& [path, bytes] : test::ExpectSetup(catalogue, c).card) {
        fs::create_directories((card / UnixForm(path)).parent_path());
        std::ofstream(card / UnixForm(path), std::ios::binary)
            << "old " << UnixForm(path) << "\r\n";
      }
      return 0;
    }
    const std::size_t upTo = Clusters(test::ExpectSetup(catalogue, c).card);
    const std::string at = c.failsAt, clusters = argv[4];
    c.failsAt.clear();
    const std::size_t need = upTo - Clusters(c.before) +
                             (test::ExpectSetup(catalogue, c).card.at(at).size() + 511) / 512 / 2;
    const std::size_t free =
        std::stoul(clusters.substr(clusters.find('/') + 1)) - std::stoul(clusters);
    if (need >= free) throw Error("the card has no room to fill");
    std::ofstream out(card / argv[5], std::ios::binary);
    for (std::size_t n = 0; n < free - need; ++n) out << std::string(512, '\0');
    std::cout << "  " << argv[5] << " takes " << (free - need) * 512 << " bytes, leaving " << need
              << " clusters\n";
    return out.flush() ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << "setup-oracle: " << e.what() << "\n";
    return 1;
  }
}
