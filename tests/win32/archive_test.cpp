#include <gtest/gtest.h>

#include <algorithm>

#include "StandinPayload.h"
#include "Win32TestSupport.h"
#include "archive/extract.h"
#include "archive/resfile.h"
#include "platform/Paths.h"
#include "platform/win32/Win32Platform.h"

namespace setup::test {
namespace {

const std::vector<PayloadFile>& Standin() {
  static const std::vector<PayloadFile> files = StandinPayload();
  return files;
}

// Every file below folder, relative and lower case, sorted.
std::vector<std::string> FilesBelow(const std::string& folder, const std::string& sub = "") {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW(ToWide(folder + sub + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = ToUtf8(found.cFileName);
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      const auto below = FilesBelow(folder, sub + name + "\\");
      names.insert(names.end(), below.begin(), below.end());
    } else {
      names.push_back(LowerAscii(sub + name));
    }
  } while (FindNextFileW(h, &found));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Module, ResourceHoldsThePackedStandin) {
  Win32Module module;
  const ByteView bytes = module.Resource("setupdata");
  ASSERT_EQ(bytes.size(), 1728334u);
  const Bytes packed = PackArchive(Standin());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), packed.begin(), packed.end()));
  // Resource names match regardless of letter case, as Windows resource names do.
  EXPECT_EQ(module.Resource("SetupData").data(), bytes.data());
}

TEST(Module, MissingResourceIsAnErrorNamingIt) {
  Win32Module module;
  try {
    module.Resource("nosuchdata");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("\"nosuchdata\""), std::string::npos) << e.what();
  }
}

TEST(Module, ExePathNamesThisProgram) {
  Win32Module module;
  const std::string path = module.ExePath();
  EXPECT_EQ(LowerAscii(ExtractFileName(path)), "win32_tests.exe") << path;
  EXPECT_EQ(path[1], ':') << path;
  EXPECT_TRUE(Win32FileSystem().FileExists(path));
}

class CatalogueTest : public testing::Test {
 protected:
  void SetUp() override {
    catalogue.LoadResData(Win32Module().Resource("setupdata"), "setupdata", nullptr);
  }
  ResFile catalogue;
};

TEST_F(CatalogueTest, MatchesTheStandinPayload) {
  ASSERT_EQ(catalogue.ResFileCount, 40);
  ASSERT_EQ(catalogue.ResFiles.size(), Standin().size());
  for (std::size_t i = 0; i < Standin().size(); ++i) {
    EXPECT_EQ(catalogue.ResFiles[i].name, Standin()[i].name) << i;
    EXPECT_EQ(catalogue.ResFiles[i].data, Standin()[i].data) << Standin()[i].name;
  }
  EXPECT_EQ(catalogue.ResFiles[0].nameOffset, 484u);
  EXPECT_EQ(catalogue.ResFiles[0].dataOffset, 533u);
  EXPECT_EQ(catalogue.FindResFile("SKYLARCH\\Global.INI"), 7);
}

TEST_F(CatalogueTest, ExtractsEveryEntryByteForByte) {
  Scratch scratch;
  Win32FileSystem fs;
  PumpingUi ui;
  const std::string folder = scratch.Path("out\\");
  ASSERT_TRUE(fs.CreateFolders(folder));
  ExtractAll(catalogue, fs, ui, folder);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Extracted. [" + folder + "]");
  std::vector<std::string> expected;
  for (const auto& file : Standin()) {
    const std::string path = folder + file.name;
    expected.push_back(LowerAscii(file.name));
    ASSERT_TRUE(fs.FileExists(path)) << path;
    EXPECT_EQ(RawRead(path), std::string(file.data.begin(), file.data.end())) << path;
  }
  // Nothing else is there: no temporary file of the replacements stays behind.
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesBelow(folder), expected);
}

}  // namespace
}  // namespace setup::test
