#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "TestArchive.h"

// The largest single allocation while tracking is on: a damaged header must be refused before
// the catalogue asks for memory in proportion to what the header claims.
namespace {
bool gTrack = false;
std::size_t gLargest = 0;
}  // namespace

void* operator new(std::size_t n) {
  if (gTrack && n > gLargest) gLargest = n;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
// Out of line, so the compiler does not pair an inlined free with a library new.
[[gnu::noinline]] void operator delete(void* p) noexcept {
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace setup {
namespace {

using test::CatalogueOf;
using test::StandinCatalogue;

class RecordingProgress : public LoadProgress {
 public:
  std::vector<std::string> calls;
  void SetMax(std::int32_t max) override { calls.push_back("max " + std::to_string(max)); }
  void SetPosition(std::int32_t p) override { calls.push_back("pos " + std::to_string(p)); }
};

std::vector<PayloadFile> Numbered(int count) {
  std::vector<PayloadFile> files;
  for (int i = 0; i < count; ++i) {
    files.push_back({"f" + std::to_string(i) + ".bin", Bytes(3, static_cast<std::uint8_t>(i))});
  }
  return files;
}

std::vector<std::string> Names(const ResFile& r, int first, int last) {
  std::vector<std::string> out;
  for (int i = first; i <= last; ++i) out.push_back(r.ResFiles[static_cast<std::size_t>(i)].name);
  return out;
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

// A hand-made archive: count, then records, padded with body to its full size.
Bytes Archive(std::uint32_t count, const std::vector<std::array<std::uint32_t, 3>>& records,
              const std::string& body) {
  Bytes b(4 + 12 * records.size());
  Put32(b, 0, count);
  for (std::size_t i = 0; i < records.size(); ++i) {
    for (std::size_t k = 0; k < 3; ++k) Put32(b, 4 + 12 * i + 4 * k, records[i][k]);
  }
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

// ---------------------------------------------------------------------------

struct ProgressCase {
  int entries;
  std::vector<std::string> calls;
};

void PrintTo(const ProgressCase& c, std::ostream* os) {
  *os << c.entries << " entries";
}

class LoadProgressTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(LoadProgressTest, MaxFirstThenEverySixteenth) {
  RecordingProgress progress;
  ResFile r;
  r.LoadResData(PackArchive(Numbered(GetParam().entries)), "a", &progress);
  EXPECT_EQ(progress.calls, GetParam().calls);
  EXPECT_EQ(r.ResFileCount, GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, LoadProgressTest,
    ::testing::Values(ProgressCase{0, {"max 0"}}, ProgressCase{1, {"max 1", "pos 0"}},
                      ProgressCase{16, {"max 16", "pos 0"}},
                      ProgressCase{17, {"max 17", "pos 0", "pos 16"}},
                      ProgressCase{40, {"max 40", "pos 0", "pos 16", "pos 32"}}));

TEST(LoadResData, EmptyArchiveGivesAnEmptyCatalogue) {
  ResFile r = CatalogueOf({});
  EXPECT_EQ(r.ResFileCount, 0);
  EXPECT_TRUE(r.ResFiles.empty());
  std::vector<std::string> list{"old"};
  r.ListResFiles("", "", list);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(r.FindResFile(""), -1);
  EXPECT_EQ(r.FindResFile("readme.txt"), -1);
}

TEST(LoadResData, FollowsOffsetsOfOverlappingAndReorderedEntries) {
  // Entry 0's name and data lie behind entry 1's; entry 1's data overlaps entry 0's name, and
  // entry 2 reuses entry 0's name and a slice of the same bytes.
  //            offset: 40       49
  const std::string body("alpha.txt\0beta\0", 15);
  const std::uint32_t base = 4 + 12 * 3;
  const Bytes a = Archive(3,
                          {{{base + 10, base + 0, 5},    // "beta", data "alpha"
                            {base + 0, base + 6, 8},     // "alpha.txt", data "txt\0beta"
                            {base + 0, base + 14, 1}}},  // "alpha.txt", data "\0"
                          body);
  ResFile r;
  r.LoadResData(a, "a", nullptr);
  ASSERT_EQ(r.ResFileCount, 3);
  EXPECT_EQ(r.ResFiles[0].name, "beta");
  EXPECT_EQ(r.ResFiles[0].data, (Bytes{'a', 'l', 'p', 'h', 'a'}));
  EXPECT_EQ(r.ResFiles[1].name, "alpha.txt");
  EXPECT_EQ(r.ResFiles[1].data, (Bytes{'t', 'x', 't', 0, 'b', 'e', 't', 'a'}));
  EXPECT_EQ(r.ResFiles[2].name, "alpha.txt");
  EXPECT_EQ(r.ResFiles[2].data, (Bytes{0}));
  EXPECT_EQ(r.FindResFile("ALPHA.TXT"), 1);
}

TEST(LoadResData, ZeroSizeEntryIsAnEmptyFile) {
  ResFile r = CatalogueOf({{"empty.dat", {}}, {"next.dat", {7}}});
  ASSERT_EQ(r.ResFileCount, 2);
  EXPECT_TRUE(r.ResFiles[0].data.empty());
  EXPECT_EQ(r.ResFiles[1].data, Bytes{7});
}

// ---------------------------------------------------------------------------

struct DamageCase {
  const char* what;
  Bytes archive;
  const char* expected;  // part of the error text
};

void PrintTo(const DamageCase& c, std::ostream* os) {
  *os << c.what;
}

class DamagedArchiveTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedArchiveTest, OneErrorNamingArchiveAndFaultCatalogueKept) {
  ResFile r = CatalogueOf({{"keep.txt", {1, 2}}});
  RecordingProgress progress;
  gLargest = 0;
  gTrack = true;
  try {
    r.LoadResData(GetParam().archive, "setupdata", &progress);
    gTrack = false;
    FAIL() << "no error for " << GetParam().what;
  } catch (const Error& e) {
    gTrack = false;
    const std::string text = e.what();
    EXPECT_NE(text.find("\"setupdata\""), std::string::npos) << text;
    EXPECT_NE(text.find(GetParam().expected), std::string::npos) << text;
  }
  EXPECT_LT(gLargest, 4096u) << GetParam().what;
  EXPECT_TRUE(progress.calls.empty());
  ASSERT_EQ(r.ResFileCount, 1);
  EXPECT_EQ(r.ResFiles[0].name, "keep.txt");
}

const std::uint32_t kOne = 4 + 12;  // first byte after a one-entry header

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedArchiveTest,
    ::testing::Values(
        DamageCase{"no bytes", Bytes{}, "too short for the entry count"},
        DamageCase{"three bytes", Bytes{1, 0, 0}, "too short for the entry count"},
        DamageCase{"negative count", Archive(0xFFFFFFFF, {}, "x"), "is negative"},
        DamageCase{"huge count", Archive(0x7FFFFFFF, {{{16, 16, 0}}}, "a"),
                   "header of 2147483647 entries runs past the end"},
        DamageCase{"header one record short", Archive(2, {{{16, 16, 0}}}, "a\0a"),
                   "header of 2 entries runs past the end"},
        DamageCase{"name past the end", Archive(1, {{{kOne + 50, kOne, 1}}}, std::string("a\0", 2)),
                   "entry 0's name starts past the end"},
        DamageCase{"name at the end", Archive(1, {{{kOne + 2, kOne, 1}}}, std::string("a\0", 2)),
                   "entry 0's name starts past the end"},
        DamageCase{"name without zero", Archive(1, {{{kOne, kOne, 1}}}, "abc"),
                   "entry 0's name has no zero terminator"},
        DamageCase{"data past the end", Archive(1, {{{kOne, kOne, 4}}}, std::string("ab\0", 3)),
                   "entry 0's data runs past the end"},
        DamageCase{"data offset past the end",
                   Archive(1, {{{kOne, kOne + 9, 0}}}, std::string("ab\0", 3)),
                   "entry 0's data runs past the end"},
        DamageCase{"size wraps 32 bits",
                   Archive(1, {{{kOne, 0xFFFFFFF0, 0x20}}}, std::string("ab\0", 3)),
                   "entry 0's data runs past the end"},
        DamageCase{"huge size", Archive(1, {{{kOne, kOne, 0xFFFFFFFF}}}, std::string("ab\0", 3)),
                   "entry 0's data runs past the end"},
        DamageCase{"second entry damaged",
                   Archive(2, {{{28, 28, 1}, {28, 28, 9}}}, std::string("a\0", 2)),
                   "entry 1's data runs past the end"}));

// Entries that all point at one block, together holding blocks times its size.
Bytes Overlapping(std::uint32_t entries, std::uint32_t block) {
  const std::uint32_t base = 4 + 12 * entries;
  const std::vector<std::array<std::uint32_t, 3>> records(entries, {base, base + 8, block});
  return Archive(entries, records, std::string("big.bin\0", 8) + std::string(block, 'b'));
}

TEST(LoadResData, OverlappingEntriesPastTheCapAreRefusedBeforeAnyCopy) {
  constexpr std::uint32_t kBlock = 1u << 20;
  const std::uint32_t entries = static_cast<std::uint32_t>(kMaxCatalogueBytes / kBlock) + 1;
  const Bytes archive = Overlapping(entries, kBlock);
  ResFile r = CatalogueOf({{"keep.txt", {1, 2}}});
  RecordingProgress progress;
  gLargest = 0;
  gTrack = true;
  try {
    r.LoadResData(archive, "setupdata", &progress);
    gTrack = false;
    FAIL() << "loaded " << entries << " entries of " << kBlock << " bytes";
  } catch (const Error& e) {
    gTrack = false;
    const std::string text = e.what();
    EXPECT_NE(text.find("\"setupdata\""), std::string::npos) << text;
    EXPECT_NE(text.find("entry " + std::to_string(entries - 1) + "'s data"), std::string::npos)
        << text;
    EXPECT_NE(text.find(std::to_string(kMaxCatalogueBytes)), std::string::npos) << text;
  }
  EXPECT_LT(gLargest, kBlock) << "an entry was copied";
  EXPECT_TRUE(progress.calls.empty());
  ASSERT_EQ(r.ResFileCount, 1);
  ASSERT_EQ(r.ResFiles.size(), 1u);
  EXPECT_EQ(r.ResFiles[0].name, "keep.txt");
  EXPECT_EQ(r.ResFiles[0].data, (Bytes{1, 2}));
}

TEST(LoadResData, OverlappingEntriesUpToTheCapLoad) {
  constexpr std::uint32_t kBlock = 4u << 20;
  const std::uint32_t entries = static_cast<std::uint32_t>(kMaxCatalogueBytes / kBlock);
  ResFile r;
  r.LoadResData(Overlapping(entries, kBlock), "setupdata", nullptr);
  ASSERT_EQ(r.ResFileCount, static_cast<std::int32_t>(entries));
  EXPECT_EQ(r.ResFiles.back().name, "big.bin");
  EXPECT_EQ(r.ResFiles.back().data, Bytes(kBlock, 'b'));
}

// ---------------------------------------------------------------------------

TEST(FindResFile, StandinGlobalIniInAnyCase) {
  const ResFile& r = StandinCatalogue();
  for (const char* name : {"Skylarch\\global.ini", "skylarch\\global.ini", "SKYLARCH\\GLOBAL.INI",
                           "sKyLaRcH\\GlObAl.InI"}) {
    EXPECT_EQ(r.FindResFile(name), 7) << name;
  }
  for (const char* name :
       {"global.ini", "Skylarch/global.ini", "Skylarch\\global.in", "Skylarch\\global.ini ", ""}) {
    EXPECT_EQ(r.FindResFile(name), -1) << name;
  }
  EXPECT_EQ(r.FindResFile("_boot_mp.NDS"), 4);
  EXPECT_EQ(r.FindResFile("Skylarch\\skin\\winttlr.bmp"), 39);
}

TEST(FindResFile, NonAsciiBytesCompareExactly) {
  // Only ASCII letters fold; "É" (C3 89) and "é" (C3 A9) stay different names.
  ResFile r = CatalogueOf({{"caf\xC3\xA9.txt", {1}}, {"CAF\xC3\x89.TXT", {2}}});
  EXPECT_EQ(r.FindResFile("CAF\xC3\xA9.TXT"), 0);
  EXPECT_EQ(r.FindResFile("caf\xC3\x89.txt"), 1);
}

struct ListCase {
  const char* prefix;
  const char* extension;
  int first, last;  // expected stand-in indices; first > last for none
};

void PrintTo(const ListCase& c, std::ostream* os) {
  *os << "prefix \"" << c.prefix << "\" extension \"" << c.extension << "\"";
}

class ListStandinTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListStandinTest, MatchesInCatalogueOrder) {
  const ResFile& r = StandinCatalogue();
  std::vector<std::string> list{"left over"};
  r.ListResFiles(GetParam().prefix, GetParam().extension, list);
  std::vector<std::string> expected;
  if (GetParam().first <= GetParam().last) expected = Names(r, GetParam().first, GetParam().last);
  EXPECT_EQ(list, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListStandinTest,
    ::testing::Values(ListCase{"", "", 0, 39}, ListCase{"Skylarch\\skin\\", "", 16, 39},
                      ListCase{"skylarch\\SKIN\\", "", 16, 39}, ListCase{"", ".bmp", 16, 39},
                      ListCase{"", ".BMP", 16, 39}, ListCase{"Skylarch\\", ".wav", 9, 15},
                      ListCase{"Skylarch\\se\\", "", 9, 15}, ListCase{"Skylarch\\s", "", 8, 39},
                      ListCase{"Skylarch\\", "", 5, 39}, ListCase{"", "bmp", 1, 0},
                      ListCase{"Skylarch\\skin\\", ".wav", 1, 0},
                      ListCase{"Skylarch\\skin\\winttlr.bmp", "", 39, 39},
                      ListCase{"Skylarch\\skin\\winttlr.bmpx", "", 1, 0}));

TEST(ListResFiles, ExtensionIsTakenAfterTheLastSeparator) {
  ResFile r = CatalogueOf({{"dir.bmp\\file", {1}},
                           {"a.b.BMP", {2}},
                           {"noext", {3}},
                           {"c:x.bmp", {4}},
                           {"d.bmp:e", {5}}});
  std::vector<std::string> list;
  r.ListResFiles("", ".bmp", list);
  EXPECT_EQ(list, (std::vector<std::string>{"a.b.BMP", "c:x.bmp"}));
  r.ListResFiles("", ".b", list);
  EXPECT_TRUE(list.empty());
}

TEST(ListResFiles, KeepsStoredCaseAndBothCaseTwins) {
  ResFile r = CatalogueOf({{"Dir\\Read.ME", {1}}, {"dir\\READ.me", {2}}, {"other", {3}}});
  std::vector<std::string> list;
  r.ListResFiles("DIR\\", ".Me", list);
  EXPECT_EQ(list, (std::vector<std::string>{"Dir\\Read.ME", "dir\\READ.me"}));
}

// ---------------------------------------------------------------------------

TEST(GetResData, CopiesTheEntryIndependently) {
  const ResFile& r = StandinCatalogue();
  fake::FakeUi ui;
  Tresdata res;
  ASSERT_TRUE(r.GetResData("SKYLARCH\\GLOBAL.INI", res, ui));
  EXPECT_EQ(res.size, 782);
  EXPECT_EQ(res.data, test::StandinEntry("Skylarch\\global.ini"));
  res.data[0] ^= 0xFF;
  EXPECT_EQ(r.ResFiles[7].data, test::StandinEntry("Skylarch\\global.ini"));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.endRequests, 0);

  Tresdata byIndex;
  r.GetResData(4, byIndex);
  EXPECT_EQ(byIndex.size, 323136);
  EXPECT_EQ(byIndex.data, test::StandinEntry("_BOOT_MP.nds"));
}

TEST(GetResData, MissingNameIsAFatalReportAndLeavesResAlone) {
  const ResFile& r = StandinCatalogue();
  fake::FakeUi ui;
  Tresdata res;
  res.data = {9, 9};
  res.size = 2;
  EXPECT_FALSE(r.GetResData("Skylarch\\Missing.ini", res, ui));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"no file found. [Skylarch\\Missing.ini]"});
  EXPECT_EQ(ui.endRequests, 1);
  EXPECT_EQ(res.data, (Bytes{9, 9}));
  EXPECT_EQ(res.size, 2);
}

TEST(GetResData, CaseTwinsYieldTheFirst) {
  ResFile r = CatalogueOf({{"Same.txt", {1}}, {"SAME.TXT", {2, 2}}});
  fake::FakeUi ui;
  Tresdata res;
  EXPECT_EQ(r.FindResFile("same.txt"), 0);
  ASSERT_TRUE(r.GetResData("SAME.TXT", res, ui));
  EXPECT_EQ(res.data, Bytes{1});
  EXPECT_EQ(res.size, 1);
}

}  // namespace
}  // namespace setup
