#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "TestArchive.h"
#include "archive/extract.h"

namespace setup {
namespace {

using fake::FakeFileSystem;
using fake::FakeUi;

const std::string kOut = "C:\\out\\";

// Records what each write was handed, so that two writes to one case-folded file stay apart.
class RecordingFileSystem : public FakeFileSystem {
 public:
  std::vector<std::pair<std::string, Bytes>> writes;
  void WriteWholeFile(const std::string& path, ByteView data) override {
    writes.emplace_back(path, Bytes(data.begin(), data.end()));
    FakeFileSystem::WriteWholeFile(path, data);
  }
};

std::size_t CountDirectlyIn(const std::vector<std::string>& files, const std::string& folder) {
  std::size_t n = 0;
  for (const auto& f : files) {
    if (f.rfind(folder, 0) == 0 && f.find('\\', folder.size()) == std::string::npos) ++n;
  }
  return n;
}

TEST(ExtractAll, WritesTheStandinTreeByteForByte) {
  FakeFileSystem fs;
  FakeUi ui;
  ExtractAll(test::StandinCatalogue(), fs, ui, kOut);

  const auto files = fs.FilesUnder(kOut);
  EXPECT_EQ(files.size(), 40u);
  for (const TFile& f : test::StandinCatalogue().ResFiles) {
    const auto written = fs.Get(kOut + f.name);
    ASSERT_TRUE(written.has_value()) << f.name;
    EXPECT_TRUE(*written == test::StandinEntry(f.name)) << f.name;
  }
  EXPECT_EQ(CountDirectlyIn(files, kOut), 5u);
  EXPECT_EQ(CountDirectlyIn(files, kOut + "Skylarch\\"), 4u);
  EXPECT_EQ(CountDirectlyIn(files, kOut + "Skylarch\\se\\"), 7u);
  EXPECT_EQ(CountDirectlyIn(files, kOut + "Skylarch\\skin\\"), 24u);
  EXPECT_TRUE(fs.FileExists("C:\\out\\Skylarch\\skin\\winbody.bmp"));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Extracted. [C:\\out\\]"});
  EXPECT_EQ(ui.endRequests, 0);
}

TEST(ExtractAll, WritesInCatalogueOrderEachAfterItsFolder) {
  FakeFileSystem fs;
  FakeUi ui;
  ResFile r = test::CatalogueOf({{"b.txt", {1}}, {"Sub\\Deep\\a.txt", {2}}, {"a.txt", {3}}});
  ExtractAll(r, fs, ui, kOut);
  EXPECT_EQ(fs.journal,
            (std::vector<std::string>{
                "mkdir C:\\out\\", "write C:\\out\\b.txt", "mkdir C:\\out\\Sub\\Deep\\",
                "write C:\\out\\Sub\\Deep\\a.txt", "mkdir C:\\out\\", "write C:\\out\\a.txt"}));
}

TEST(ExtractAll, ReplacesExistingFilesAndKeepsStoredCase) {
  FakeFileSystem fs;
  FakeUi ui;
  fs.PutFile("C:\\out\\Dir\\Mixed.BMP", "old contents");
  ResFile r = test::CatalogueOf({{"Dir\\Mixed.BMP", {1, 2, 3}}, {"Other\\CamelCase.Txt", {4}}});
  ExtractAll(r, fs, ui, kOut);
  ExtractAll(r, fs, ui, kOut);
  EXPECT_EQ(fs.Get("C:\\out\\Dir\\Mixed.BMP"), (Bytes{1, 2, 3}));
  EXPECT_EQ(fs.FilesUnder(kOut),
            (std::vector<std::string>{"C:\\out\\Dir\\Mixed.BMP", "C:\\out\\Other\\CamelCase.Txt"}));
  EXPECT_EQ(ui.messages.size(), 2u);
}

TEST(ExtractAll, EmptyCatalogueStillReports) {
  FakeFileSystem fs;
  FakeUi ui;
  ExtractAll(ResFile{}, fs, ui, "D:\\x\\");
  EXPECT_TRUE(fs.journal.empty());
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Extracted. [D:\\x\\]"});
}

TEST(ExtractAll, CaseTwinsEachWriteTheirOwnBytes) {
  RecordingFileSystem fs;
  FakeUi ui;
  ResFile r = test::CatalogueOf({{"Same.txt", {1}}, {"SAME.TXT", {2, 2}}});
  ExtractAll(r, fs, ui, kOut);
  ASSERT_EQ(fs.writes.size(), 2u);
  EXPECT_EQ(fs.writes[0], (std::pair<std::string, Bytes>{"C:\\out\\Same.txt", {1}}));
  EXPECT_EQ(fs.writes[1], (std::pair<std::string, Bytes>{"C:\\out\\SAME.TXT", {2, 2}}));
}

TEST(ExtractAll, ForwardSlashesBecomeFolders) {
  FakeFileSystem fs;
  FakeUi ui;
  ExtractAll(test::CatalogueOf({{"a/b\\c/d.txt", {5}}}), fs, ui, kOut);
  EXPECT_EQ(fs.Get("C:\\out\\a\\b\\c\\d.txt"), Bytes{5});
}

// ---------------------------------------------------------------------------

struct NameCase {
  std::string name;
  bool refused;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << "\"" << c.name << "\"";
}

class EntryNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(EntryNameTest, RefusedBeforeAnythingIsWritten) {
  // The bad entry comes last, so a late check would already have written the first.
  ResFile r;
  r.ResFiles = {TFile{"first.txt", 0, 0, 1, {1}}, TFile{GetParam().name, 0, 0, 1, {2}}};
  r.ResFileCount = 2;
  FakeFileSystem fs;
  FakeUi ui;
  if (!GetParam().refused) {
    ExtractAll(r, fs, ui, kOut);
    EXPECT_EQ(fs.FilesUnder(kOut).size(), 2u);
    EXPECT_EQ(ui.messages.size(), 1u);
    return;
  }
  try {
    ExtractAll(r, fs, ui, kOut);
    FAIL() << "extracted " << GetParam().name;
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("\"" + GetParam().name + "\""), std::string::npos)
        << e.what();
  }
  EXPECT_TRUE(fs.journal.empty());
  EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Names, EntryNameTest,
    ::testing::Values(NameCase{"..\\evil.txt", true}, NameCase{"a\\..\\..\\evil.txt", true},
                      NameCase{"a/../../evil.txt", true}, NameCase{"a\\..", true},
                      NameCase{"..", true}, NameCase{"\\Windows\\evil.dll", true},
                      NameCase{"/etc/evil", true}, NameCase{"C:\\evil.txt", true},
                      NameCase{"c:evil.txt", true}, NameCase{"...\\evil.txt", true},
                      NameCase{"a\\.. \\evil.txt", true}, NameCase{"", true}, NameCase{".", true},
                      NameCase{" ", true}, NameCase{"dir\\", true}, NameCase{"dir/. ", true},
                      NameCase{"..a\\b.txt", false}, NameCase{"a..b.txt", false},
                      NameCase{"a\\.\\b.txt", false}, NameCase{"dir\\x.y..", false}));

// ---------------------------------------------------------------------------

TEST(ExtractAll, ShortWriteIsAnErrorNamingTheFile) {
  FakeFileSystem fs;
  FakeUi ui;
  fs.Mount("C:\\", 1, 1000);  // the first bootstrap fits, the second does not
  try {
    ExtractAll(test::StandinCatalogue(), fs, ui, kOut);
    FAIL() << "a full medium went unnoticed";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("C:\\out\\BootStrap_SuperCard.bin"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(fs.Get("C:\\out\\BootStrap_M3_quillmar-m3powerloader-20060117.bin"),
            test::StandinEntry("BootStrap_M3_quillmar-m3powerloader-20060117.bin"));
  EXPECT_FALSE(fs.FileExists("C:\\out\\readme.txt"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST(ExtractAll, CreateFailureStopsAtThatFile) {
  struct Case {
    std::string blocked;
    bool folderInTheWay;
    std::size_t index;  // of the blocked entry
  };
  for (const Case& c :
       {Case{"C:\\out\\readme.txt", false, 2}, Case{"C:\\out\\Skylarch\\global.ini", true, 7}}) {
    FakeFileSystem fs;
    FakeUi ui;
    if (c.folderInTheWay) {
      fs.PutFolder(c.blocked);
    } else {
      fs.SetFault(c.blocked, fake::Fault::Refuse);
    }
    try {
      ExtractAll(test::StandinCatalogue(), fs, ui, kOut);
      FAIL() << "no error for " << c.blocked;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.blocked), std::string::npos) << e.what();
    }
    // Everything before stays, nothing after is written.
    EXPECT_EQ(fs.FilesUnder(kOut).size(), c.index) << c.blocked;
    const TFile& before = test::StandinCatalogue().ResFiles[c.index - 1];
    EXPECT_EQ(fs.Get(kOut + before.name), before.data);
    EXPECT_EQ(fs.journal.back(), "write " + c.blocked);
    EXPECT_TRUE(ui.messages.empty());
  }
}

}  // namespace
}  // namespace setup
