#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "StandinPayload.h"
#include "TestArchive.h"
#include "platform/posix/PosixFileSystem.h"

namespace setup {
namespace {

namespace fs = std::filesystem;

std::uint32_t Read32(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::size_t CountOf(const Bytes& data, const std::string& needle) {
  std::size_t n = 0;
  for (auto it = data.begin();; ++it) {
    it = std::search(it, data.end(), needle.begin(), needle.end());
    if (it == data.end()) return n;
    ++n;
  }
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const Bytes& data) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::string PosixName(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "pack-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

struct RunResult {
  int status;
  std::string out, err;
};

// Runs a tool with the given arguments, capturing both streams.
RunResult RunTool(const std::string& exe, const std::vector<std::string>& args,
                  const TempDir& dir) {
  std::string command = "'" + exe + "'";
  for (const auto& a : args) command += " '" + a + "'";
  const fs::path out = dir / ".stdout", err = dir / ".stderr";
  command += " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int raw = std::system(command.c_str());
  const Bytes o = ReadFile(out), e = ReadFile(err);
  fs::remove(out);
  fs::remove(err);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(o.begin(), o.end()),
          std::string(e.begin(), e.end())};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Every regular file below root, as "\"-separated names relative to it.
std::vector<std::string> FilesBelow(const fs::path& root) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::string name = e.path().lexically_relative(root).string();
    std::replace(name.begin(), name.end(), '/', '\\');
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// ---------------------------------------------------------------------------

TEST(PackArchive, StandinHasTheShippedLayout) {
  const Bytes& a = test::StandinArchive();
  ASSERT_EQ(a.size(), 1728334u);
  ASSERT_EQ(Read32(a, 0), 40u);
  EXPECT_EQ(Read32(a, 4), 484u);
  EXPECT_EQ(Read32(a, 8), 533u);
  EXPECT_EQ(Read32(a, 12), 512u);
  EXPECT_EQ(Read32(a, 16), 1045u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&a[484])),
            "BootStrap_M3_quillmar-m3powerloader-20060117.bin");

  // Back to back: each name right after the previous data, each data right after its name.
  std::uint32_t at = 4 + 12 * 40;
  const auto payload = StandinPayload();
  for (std::size_t i = 0; i < 40; ++i) {
    const std::size_t record = 4 + 12 * i;
    EXPECT_EQ(Read32(a, record), at) << i;
    at += static_cast<std::uint32_t>(payload[i].name.size()) + 1;
    EXPECT_EQ(a[at - 1], 0) << i;
    EXPECT_EQ(Read32(a, record + 4), at) << i;
    EXPECT_EQ(Read32(a, record + 8), payload[i].data.size()) << i;
    at += Read32(a, record + 8);
  }
  EXPECT_EQ(at, a.size());
}

TEST(PackArchive, RoundTripsThroughTheLoader) {
  const std::vector<PayloadFile> files = {{"empty", {}},
                                          {"b\\\xE6\x97\xA5\xE6\x9C\xAC.txt", {0, 1, 0}},
                                          {"a", Bytes(70000, 0xAB)},
                                          {"a", {1}}};
  const ResFile r = test::CatalogueOf(files);
  ASSERT_EQ(r.ResFileCount, 4);
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(r.ResFiles[i].name, files[i].name);
    EXPECT_EQ(r.ResFiles[i].data, files[i].data);
  }
}

TEST(PackArchive, RefusesNamesTheLoaderCouldNotReadBack) {
  EXPECT_THROW(PackArchive({{"", {1}}}), Error);
  EXPECT_THROW(PackArchive({{"ok", {1}}, {std::string("a\0b", 3), {1}}}), Error);
}

// ---------------------------------------------------------------------------

TEST(StandinPayload, AdapterMarkerOnlyInTheProgramImage) {
  for (const auto& f : StandinPayload()) {
    if (f.name != "_BOOT_MP.nds") {
      EXPECT_EQ(CountOf(f.data, "Adapter:"), 0u) << f.name;
      continue;
    }
    ASSERT_EQ(f.data.size(), 323136u);
    EXPECT_EQ(CountOf(f.data, "Adapter:"), 1u);
    EXPECT_EQ(std::string(f.data.begin() + 0x3A628, f.data.begin() + 0x3A628 + 12), "Adapter:MPCF");
  }
  // Across entry boundaries too: the whole archive holds it once.
  EXPECT_EQ(CountOf(test::StandinArchive(), "Adapter:"), 1u);
}

TEST(StandinPayload, EntriesAreDistinct) {
  // Distinct bytes let a test notice one entry written in place of another.
  const auto files = StandinPayload();
  for (std::size_t i = 0; i < files.size(); ++i) {
    for (std::size_t j = i + 1; j < files.size(); ++j) {
      if (files[i].data.size() == files[j].data.size()) {
        EXPECT_NE(files[i].data, files[j].data) << files[i].name << " " << files[j].name;
      }
    }
  }
  EXPECT_EQ(test::StandinEntry("BootStrap_SuperCard.bin").size(), 512u);
}

TEST(StandinPayload, FilesHaveTheirFormatsHeaders) {
  for (const auto& f : StandinPayload()) {
    const Bytes& d = f.data;
    const std::string ext = f.name.substr(f.name.rfind('.'));
    if (ext == ".bmp") {
      EXPECT_EQ(std::string(d.begin(), d.begin() + 2), "BM") << f.name;
      EXPECT_EQ(Read32(d, 2), d.size()) << f.name;
      EXPECT_EQ(Read32(d, 10), 54u) << f.name;
      const std::uint32_t width = Read32(d, 18), height = Read32(d, 22);
      EXPECT_GT(width * height, 0u) << f.name;
      EXPECT_LE(54 + Read32(d, 34), d.size()) << f.name;
      EXPECT_EQ(Read32(d, 34), (width * 2 + 3) / 4 * 4 * height) << f.name;
    } else if (ext == ".wav") {
      EXPECT_EQ(std::string(d.begin(), d.begin() + 4), "RIFF") << f.name;
      EXPECT_EQ(Read32(d, 4), d.size() - 8) << f.name;
      EXPECT_EQ(std::string(d.begin() + 8, d.begin() + 16), "WAVEfmt ") << f.name;
      EXPECT_EQ(std::string(d.begin() + 36, d.begin() + 40), "data") << f.name;
      EXPECT_EQ(Read32(d, 40), d.size() - 44) << f.name;
    } else if (ext == ".txt" || ext == ".ini") {
      const bool text = std::all_of(d.begin(), d.end(), [](std::uint8_t c) {
        return c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F);
      });
      EXPECT_TRUE(text) << f.name;
    }
  }
  const Bytes& ini = test::StandinEntry("Skylarch\\global.ini");
  EXPECT_NE(std::string(ini.begin(), ini.end()).find("\r\n["), std::string::npos);
}

// ---------------------------------------------------------------------------

TEST(ReadPayloadFolder, FilesBeforeFoldersEachLevelByUpperCaseBytes) {
  TempDir dir;
  for (const char* name :
       {"b.txt", "_z.txt", "A.txt", "a2.txt", "Zed/x", "_sub/y", "abc/q", "abc/_/k", "abc/R"}) {
    WriteFile(dir / name, {static_cast<std::uint8_t>(name[0])});
  }
  const auto files = ReadPayloadFolder(dir.path().string());
  std::vector<std::string> names;
  for (const auto& f : files) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "a2.txt", "b.txt", "_z.txt", "abc\\q",
                                             "abc\\R", "abc\\_\\k", "Zed\\x", "_sub\\y"}));
  EXPECT_EQ(files[0].data, Bytes{'A'});
  EXPECT_THROW(ReadPayloadFolder((dir / "missing").string()), Error);
}

// ---------------------------------------------------------------------------

TEST(PosixFileSystem, MapsWindowsSeparatorsAndKindsOfEntry) {
  TempDir dir;
  PosixFileSystem pfs;
  const std::string root = dir.path().string();
  EXPECT_TRUE(pfs.CreateFolders(root + "\\a\\b\\"));
  EXPECT_TRUE(pfs.CreateFolders(root + "\\a\\b"));  // already there
  EXPECT_TRUE(fs::is_directory(dir / "a" / "b"));
  pfs.WriteWholeFile(root + "\\a\\b\\f.bin", Bytes{1, 2, 3});
  EXPECT_EQ(ReadFile(dir / "a" / "b" / "f.bin"), (Bytes{1, 2, 3}));
  pfs.WriteWholeFile(root + "/a/b/f.bin", Bytes{4});  // replaced, not appended
  EXPECT_EQ(pfs.ReadWholeFile(root + "\\a\\b\\f.bin"), Bytes{4});
  EXPECT_TRUE(pfs.FileExists(root + "\\a\\b\\f.bin"));
  EXPECT_FALSE(pfs.FolderExists(root + "\\a\\b\\f.bin"));
  EXPECT_TRUE(pfs.FolderExists(root + "\\a"));
  EXPECT_FALSE(pfs.FileExists(root + "\\a"));
  // A file where a folder must go.
  EXPECT_FALSE(pfs.CreateFolders(root + "\\a\\b\\f.bin\\c\\"));
  EXPECT_FALSE(pfs.CreateFolders(""));

  pfs.AppendLine(root + "\\log.txt", "one \xE6\x97\xA5");
  pfs.AppendLine(root + "\\log.txt", "two");
  const Bytes log = ReadFile(dir / "log.txt");
  EXPECT_EQ(std::string(log.begin(), log.end()), "one \xE6\x97\xA5\r\ntwo\r\n");

  EXPECT_TRUE(pfs.DeleteFile(root + "\\log.txt"));
  EXPECT_FALSE(pfs.DeleteFile(root + "\\log.txt"));
  EXPECT_FALSE(pfs.DeleteFile(root + "\\a"));  // folders are not files
}

TEST(PosixFileSystem, FailuresNameTheFileAndTheReason) {
  TempDir dir;
  PosixFileSystem pfs;
  const std::string root = dir.path().string();
  fs::create_directories(dir / "folder");
  struct Case {
    std::string path;
    std::function<void()> call;
    std::string expected;
  };
  const std::string missing = root + "\\none\\x.bin";
  const std::string folder = root + "\\folder";
  const std::vector<Case> cases = {
      {missing, [&] { pfs.WriteWholeFile(missing, Bytes{1}); }, "Cannot create file"},
      {folder, [&] { pfs.WriteWholeFile(folder, Bytes{1}); }, "Cannot create file"},
      {missing, [&] { pfs.ReadWholeFile(missing); }, "Cannot open file"},
      {folder, [&] { pfs.ReadWholeFile(folder); }, "Cannot open file"},
      {missing, [&] { pfs.AppendLine(missing, "x"); }, "Cannot open file"},
      // A medium that takes nothing: the short write must not pass as success.
      {"/dev/full", [&] { pfs.AppendLine("/dev/full", "x"); }, "Cannot write file"},
  };
  for (const Case& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << "no error for " << c.path;
    } catch (const Error& e) {
      const std::string text = e.what();
      EXPECT_NE(text.find(c.expected + " \"" + c.path + "\". "), std::string::npos) << text;
      EXPECT_GT(text.size(), c.expected.size() + c.path.size() + 6) << "no reason: " << text;
    }
  }
  EXPECT_FALSE(fs::exists(dir / "none"));
}

// A write that stops part way (here at the file size limit, as on a full medium) or a target
// that cannot be replaced leaves the old bytes and no temporary file.
TEST(PosixFileSystem, FailedReplacementKeepsTheOldFile) {
  TempDir dir;
  PosixFileSystem pfs;
  const std::string root = dir.path().string();
  const std::string target = root + "\\global.ini";
  pfs.WriteWholeFile(target, Bytes(100, 'o'));
  fs::create_directories(dir / "folder.ini");

  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string text;
  try {
    pfs.WriteWholeFile(target, Bytes(5000, 'n'));
  } catch (const Error& e) {
    text = e.what();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(text.rfind("Cannot write file \"" + target + "\". ", 0), 0u) << text;

  EXPECT_THROW(pfs.WriteWholeFile(root + "\\folder.ini", Bytes{1}), Error);
  EXPECT_EQ(ReadFile(dir / "global.ini"), Bytes(100, 'o'));
  EXPECT_TRUE(fs::is_directory(dir / "folder.ini"));
  EXPECT_EQ(FilesBelow(dir.path()), std::vector<std::string>{"global.ini"});

  // A leftover of a crash is overwritten, then gone.
  pfs.WriteWholeFile(root + "\\global.ini.setup~", Bytes(7, 'x'));
  pfs.WriteWholeFile(target, Bytes{1, 2});
  EXPECT_EQ(ReadFile(dir / "global.ini"), (Bytes{1, 2}));
  EXPECT_FALSE(fs::exists(dir / "global.ini.setup~"));
}

// ---------------------------------------------------------------------------

class ToolsTest : public ::testing::Test {
 protected:
  RunResult Pack(const std::vector<std::string>& args) {
    return RunTool(SETUP_PACK_EXE, args, dir);
  }
  RunResult Standin(const std::vector<std::string>& args) {
    return RunTool(STANDIN_PAYLOAD_EXE, args, dir);
  }
  std::string P(const std::string& name) const { return (dir / name).string(); }
  TempDir dir;
};

TEST_F(ToolsTest, GeneratePackListExtractRoundTrip) {
  ASSERT_EQ(Standin({P("payload")}).status, 0);
  ASSERT_EQ(Standin({P("again")}).status, 0);
  const auto generated = FilesBelow(dir / "payload");
  ASSERT_EQ(generated.size(), 40u);
  EXPECT_EQ(FilesBelow(dir / "again"), generated);
  for (const auto& name : generated) {
    EXPECT_TRUE(ReadFile(dir / "again" / PosixName(name)) ==
                ReadFile(dir / "payload" / PosixName(name)))
        << name;
  }

  const RunResult packed = Pack({"pack", P("payload"), P("a.bin")});
  ASSERT_EQ(packed.status, 0) << packed.err;
  EXPECT_TRUE(ReadFile(dir / "a.bin") == test::StandinArchive());

  const RunResult listed = Pack({"list", P("a.bin")});
  ASSERT_EQ(listed.status, 0) << listed.err;
  const auto lines = Lines(listed.out);
  ASSERT_EQ(lines.size(), 40u);
  const ResFile& cat = test::StandinCatalogue();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::istringstream in(lines[i]);
    std::size_t index = 0, size = 0;
    std::string name;
    in >> index >> size >> name;
    EXPECT_EQ(index, i);
    EXPECT_EQ(size, cat.ResFiles[i].size) << lines[i];
    EXPECT_EQ(name, cat.ResFiles[i].name) << lines[i];
  }

  const RunResult extracted = Pack({"extract", P("a.bin"), P("out")});
  ASSERT_EQ(extracted.status, 0) << extracted.err;
  EXPECT_EQ(extracted.out, "Extracted. [" + P("out") + "/]\n");
  EXPECT_EQ(FilesBelow(dir / "out"), generated);
  for (const TFile& f : cat.ResFiles) {
    EXPECT_TRUE(ReadFile(dir / "out" / PosixName(f.name)) == f.data) << f.name;
  }
}

TEST_F(ToolsTest, CaseTwinsSurviveARoundTrip) {
  WriteFile(dir / "in" / "Same.txt", {1});
  WriteFile(dir / "in" / "SAME.txt", {2, 2});
  ASSERT_EQ(Pack({"pack", P("in"), P("t.bin")}).status, 0);
  ASSERT_EQ(Pack({"extract", P("t.bin"), P("out")}).status, 0);
  EXPECT_EQ(ReadFile(dir / "out" / "Same.txt"), Bytes{1});
  EXPECT_EQ(ReadFile(dir / "out" / "SAME.txt"), (Bytes{2, 2}));
}

TEST_F(ToolsTest, BadArgumentsGiveOneLineAndStatusOne) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"pack"},
      {"pack", P("x")},
      {"list"},
      {"list", P("a"), P("b")},
      {"extract", P("a")},
      {"unpack", P("a"), P("b")},
      {"list", ""},
      {"list", P("no-such-archive")},
      {"pack", P("no-such-folder"), P("x.bin")},
      {"extract", P("no-such-archive"), P("out")},
  };
  for (const auto& args : cases) {
    const RunResult r = Pack(args);
    const std::string shown = args.empty() ? "(none)" : args[0] + " ...";
    EXPECT_EQ(r.status, 1) << shown;
    EXPECT_EQ(Lines(r.err).size(), 1u) << shown << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << shown;
  }
  EXPECT_FALSE(fs::exists(dir / "x.bin"));
  EXPECT_FALSE(fs::exists(dir / "out"));
  for (const auto& args : std::vector<std::vector<std::string>>{{}, {P("a"), P("b")}, {""}}) {
    const RunResult r = Standin(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  }
}

TEST_F(ToolsTest, DamagedArchiveIsRefusedWithoutWriting) {
  const Bytes& full = test::StandinArchive();
  WriteFile(dir / "cut.bin", Bytes(full.begin(), full.end() - 1));
  for (const char* verb : {"list", "extract"}) {
    std::vector<std::string> args = {verb, P("cut.bin")};
    if (std::string(verb) == "extract") args.push_back(P("out"));
    const RunResult r = Pack(args);
    EXPECT_EQ(r.status, 1) << verb;
    ASSERT_EQ(Lines(r.err).size(), 1u) << r.err;
    EXPECT_NE(r.err.find(P("cut.bin")), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("entry 39's data runs past the end"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << verb;
  }
  EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_F(ToolsTest, ExtractRefusesNamesLeavingTheFolder) {
  WriteFile(dir / "evil.bin", PackArchive({{"fine.txt", {1}}, {"..\\..\\escaped.txt", {2}}}));
  const RunResult r = Pack({"extract", P("evil.bin"), P("deep/out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  EXPECT_FALSE(fs::exists(dir / "escaped.txt"));
  EXPECT_FALSE(fs::exists(dir / "deep" / "out" / "fine.txt"));
}

}  // namespace
}  // namespace setup
