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

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string UnixForm(std::string path) {
  for (char& c : path) c = c == '\\' ? '/' : c;
  return path;
}

// The files by their "/"-separated path, and the folders with a trailing "/". Wine's label file
// and the FAT volume label (fusefat lists it as an empty file) are not the program's.
std::map<std::string, std::string> ReadTree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(root)) return tree;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(e.path(), root).generic_string();
    if (name == ".windows-label" || name == "CARD") continue;
    tree[e.is_directory() ? name + "/" : name] = e.is_directory() ? "" : ReadAll(e.path());
  }
  return tree;
}

test::Tree Files(const std::map<std::string, std::string>& tree) {
  test::Tree files;
  for (const auto& [name, bytes] : tree) {
    std::string path = name;
    for (char& c : path) c = c == '/' ? '\\' : c;
    if (name.back() != '/') files[path] = Bytes(bytes.begin(), bytes.end());
  }
  return files;
}

Check ChoiceNamed(const std::string& name) {
  for (const ChoiceDef& c : kChoices) {
    if (c.name == name) return c.id;
  }
  throw Error("no choice " + name);
}

// Reads attempt options from argv[i] on, up to the next --then.
test::SetupCase Attempt(int& i, int argc, char** argv) {
  test::SetupCase c;
  for (; i + 1 < argc && std::string(argv[i]) != "--then"; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--isjp") {
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
  if (i < argc && std::string(argv[i]) != "--then")
    throw Error("no value for " + std::string(argv[i]));
  return c;
}

std::size_t Clusters(const test::Tree& tree) {
  std::size_t n = 0;
  for (const auto& [name, bytes] : tree) n += (bytes.size() + 511) / 512;
  return n;
}

std::string Recode(const std::string& text, const std::string& codepage) {
  iconv_t cd = iconv_open(codepage.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw Error("no code page " + codepage);
  std::string out(text.size() * 2, '\0');
  char* in = const_cast<char*>(text.data());
  char* to = out.data();
  std::size_t left = text.size(), room = out.size();
  const bool ok = iconv(cd, &in, &left, &to, &room) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) throw Error("cannot write the log in " + codepage);
  out.resize(out.size() - room);
  return out;
}

// The last line of the driver's output that begins with the prefix, without it.
std::string Seen(const std::string& log, const std::string& prefix) {
  std::string found;
  for (std::size_t at = log.find(prefix); at != std::string::npos; at = log.find(prefix, at + 1)) {
    if (at == 0 || log[at - 1] == '\n') found = log.substr(at + prefix.size());
  }
  return found.substr(0, found.find('\n'));
}

// The first line one side holds and the other does not; "" when the two are the same. A file's
// line holds its bytes after a NUL, which the text leaves out.
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

// The lines of a text, each CR shown as "|".
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\n') lines.emplace_back();
    if (c != '\n') lines.back().push_back(c == '\r' ? '|' : c);
  }
  return lines;
}

int Check(const std::string& what, const std::string& difference) {
  std::cout << (difference.empty() ? "  PASS " : "  FAIL ") << what
            << (difference.empty() ? "" : ": " + difference) << "\n";
  return difference.empty() ? 0 : 1;
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

int CheckRun(const ResFile& catalogue, int argc, char** argv) {
  const fs::path work = argv[3], card = argv[4], program = argv[5];
  const std::string driverLog = ReadAll(work / "driver.log");
  std::string start, codepage, box;
  bool refused = false;
  int i = 6;
  for (; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option != "--start" && option != "--codepage") break;
    (option == "--start" ? start : codepage) = argv[i + 1];
  }
  std::string log;
  std::multiset<std::string> settings, ini;
  std::set<std::string> tree, onCard;
  test::Tree files = Files(ReadTree(work / "before"));
  for (bool banner = false; i <= argc; ++i) {
    test::SetupCase c = Attempt(i, argc, argv);
    c.startPath = start;
    c.driveLine = Seen(driverLog, "SELECTED ");
    c.before = files;
    const test::SetupOutcome out = test::ExpectSetup(catalogue, c);
    files = out.card;
    for (const auto& line : out.log) log += line + "\r\n";
    if (!out.settings.empty()) settings.clear(), banner = true;
    for (const auto& [section, keys] : out.settings) {
      for (const auto& [key, value] : keys) settings.insert(section + "." + key + "=" + value);
    }
    refused = refused || c.refused;
    if (c.refused) box = RoomBox(Seen(driverLog, "  message "), fs::space(card).available);
    if (banner && i >= argc) tree.insert("Skylarch/banner/");
  }
  // Each file with its bytes, and each folder.
  for (const auto& [path, bytes] : files) {
    const std::string name = UnixForm(path);
    tree.insert(name + '\0' + std::string(bytes.begin(), bytes.end()));
    for (auto at = name.find('/'); at != std::string::npos; at = name.find('/', at + 1))
      tree.insert(name.substr(0, at + 1));
  }
  for (const auto& [name, bytes] : ReadTree(card))
    onCard.insert(name.back() == '/' ? name : name + '\0' + bytes);

  const auto named = [&](const char* ext) { return fs::path(program).replace_extension(ext); };
  if (!codepage.empty()) log = Recode(log, codepage);
  const std::string gotLog = fs::is_regular_file(named(".log")) ? ReadAll(named(".log")) : "";
  const auto want = Lines(log), got = Lines(gotLog);
  const auto at = std::mismatch(want.begin(), want.end(), got.begin(), got.end());
  const std::string logDifference =
      at.first == want.end() && at.second == got.end()
          ? ""
          : "line " + std::to_string(at.first - want.begin() + 1) + " is \"" +
                (at.second == got.end() ? "" : *at.second) + "\", expected \"" +
                (at.first == want.end() ? "" : *at.first) + "\"";

  // Sections matched ignoring case, as the profile functions do.
  std::string section, line;
  std::istringstream text(fs::exists(named(".ini")) ? ReadAll(named(".ini")) : "");
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
      section = LowerAscii(line.substr(1, line.size() - 2));
    } else if (line.find('=') != std::string::npos) {
      ini.insert(section + "." + line);
    }
  }
  return Check("the card holds the expected files and folders, byte for byte",
               FirstDifference(tree, onCard)) +
         Check(named(".log").filename().string() + " holds the attempts' lines, in order",
               logDifference) +
         Check(named(".ini").filename().string() + " holds the expected settings",
               settings.empty() && fs::exists(named(".ini")) ? "there should be none"
                                                             : FirstDifference(settings, ini)) +
         (refused ? Check("the box names the room needed and the room free", box) : 0);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string mode = argc > 3 ? argv[1] : "";
    if (mode == "kept") {
      int lost = 0;
      for (const auto& [name, bytes] : Files(ReadTree(argv[2]))) {
        const fs::path on = fs::path(argv[3]) / UnixForm(name);
        const fs::path bak = on.string() + ".bak";
        if ((fs::is_regular_file(on) && ReadAll(on) == std::string(bytes.begin(), bytes.end())) ||
            (fs::is_regular_file(bak) && ReadAll(bak) == std::string(bytes.begin(), bytes.end())))
          continue;
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
    if (mode == "check") return CheckRun(catalogue, argc, argv) == 0 ? 0 : 1;
    const fs::path card = argv[3];
    int i = mode == "old" ? 4 : 6;
    test::SetupCase c = Attempt(i, argc, argv);
    if (mode == "old") {
      for (const auto& [path, bytes] : test::ExpectSetup(catalogue, c).card) {
        fs::create_directories((card / UnixForm(path)).parent_path());
        std::ofstream(card / UnixForm(path), std::ios::binary)
            << "old " << UnixForm(path) << "\r\n";
      }
      return 0;
    }
    c.before = Files(ReadTree(card));
    const std::size_t upTo = Clusters(test::ExpectSetup(catalogue, c).card);
    const std::string at = c.failsAt;
    c.failsAt.clear();
    const test::Tree all = test::ExpectSetup(catalogue, c).card;
    const std::size_t need = upTo - Clusters(c.before) + (all.at(at).size() + 511) / 512 / 2;
    const std::string clusters = argv[4];
    const std::size_t free =
        std::stoul(clusters.substr(clusters.find('/') + 1)) - std::stoul(clusters);
    if (need >= free) throw Error("the card has no room to fill");
    std::ofstream out(card / argv[5], std::ios::binary);
    const std::string block(512, '\0');
    for (std::size_t n = 0; n < free - need; ++n) out << block;
    std::cout << "  " << argv[5] << " takes " << (free - need) * 512 << " bytes, leaving " << need
              << " clusters\n";
    return out.flush() ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << "setup-oracle: " << e.what() << "\n";
    return 1;
  }
}
