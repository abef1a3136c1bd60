// Arbitrary bytes as the payload archive: loaded, listed, looked up, copied out and extracted
// into the in-memory file system.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Check.h"
#include "FakePlatform.h"
#include "archive/extract.h"
#include "archive/resfile.h"
#include "platform/Paths.h"

namespace {

using namespace setup;

const char kFolder[] = "E:\\out\\";

class CountingProgress : public LoadProgress {
 public:
  int maxCalls = 0;
  std::int32_t max = -1;
  std::int32_t last = -1;
  void SetMax(std::int32_t m) override {
    ++maxCalls;
    max = m;
  }
  void SetPosition(std::int32_t p) override {
    FUZZ_CHECK(maxCalls == 1 && p > last && p < max);
    last = p;
  }
};

std::uint32_t Read32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The path as Windows resolves it: "\" and "/" separate, empty and "." parts vanish, trailing
// dots and blanks are dropped, a part of only dots and blanks with two dots or more climbs.
std::vector<std::string> Resolve(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find_first_of("\\/", start), path.size());
    std::string part = path.substr(start, end - start);
    start = end + 1;
    const bool onlyDots = part.find_first_not_of(". ") == std::string::npos;
    if (onlyDots && std::count(part.begin(), part.end(), '.') >= 2) {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (!part.empty()) parts.push_back(LowerAscii(part));
  }
  return parts;
}

// Whether path lies inside the extraction folder (strictly below it, or the folder itself).
bool Inside(const std::string& path, bool strictly) {
  const std::vector<std::string> folder = Resolve(kFolder);
  const std::vector<std::string> parts = Resolve(path);
  if (parts.size() < folder.size() + (strictly ? 1 : 0)) return false;
  return std::equal(folder.begin(), folder.end(), parts.begin());
}

void CheckCatalogue(const ResFile& r, const std::uint8_t* data, std::size_t size) {
  FUZZ_CHECK(r.ResFileCount >= 0);
  FUZZ_CHECK(static_cast<std::size_t>(r.ResFileCount) == r.ResFiles.size());
  FUZZ_CHECK(r.ResFiles.size() == Read32(data));
  for (std::size_t i = 0; i < r.ResFiles.size(); ++i) {
    const TFile& f = r.ResFiles[i];
    const std::uint8_t* record = data + 4 + 12 * i;
    FUZZ_CHECK(f.nameOffset == Read32(record) && f.dataOffset == Read32(record + 4) &&
               f.size == Read32(record + 8));
    FUZZ_CHECK(f.nameOffset + f.name.size() < size && data[f.nameOffset + f.name.size()] == 0);
    FUZZ_CHECK(f.name ==
               std::string(reinterpret_cast<const char*>(data) + f.nameOffset, f.name.size()));
    FUZZ_CHECK(f.name.find('\0') == std::string::npos);
    FUZZ_CHECK(f.data.size() == f.size && f.dataOffset + f.data.size() <= size);
    FUZZ_CHECK(std::equal(f.data.begin(), f.data.end(), data + f.dataOffset));
  }
}

// Lookups are linear, so only the first entries are looked up one by one.
constexpr std::size_t kLookups = 32;

void CheckLookups(const ResFile& r) {
  std::vector<std::string> list{"left over"};
  r.ListResFiles("", "", list);
  FUZZ_CHECK(list.size() == r.ResFiles.size());
  std::size_t longest = 0;
  for (std::size_t i = 0; i < r.ResFiles.size(); ++i) {
    FUZZ_CHECK(list[i] == r.ResFiles[i].name);
    longest = std::max(longest, r.ResFiles[i].name.size());
  }
  for (std::size_t i = 0; i < std::min(kLookups, r.ResFiles.size()); ++i) {
    const TFile& f = r.ResFiles[i];
    const std::int32_t found = r.FindResFile(f.name);
    FUZZ_CHECK(found >= 0 && static_cast<std::size_t>(found) <= i);
    FUZZ_CHECK(LowerAscii(r.ResFiles[static_cast<std::size_t>(found)].name) == LowerAscii(f.name));

    fake::FakeUi ui;
    Tresdata res;
    FUZZ_CHECK(r.GetResData(f.name, res, ui));
    FUZZ_CHECK(ui.messages.empty() && ui.endRequests == 0);
    FUZZ_CHECK(res.data == r.ResFiles[static_cast<std::size_t>(found)].data);
    FUZZ_CHECK(static_cast<std::size_t>(res.size) == res.data.size());

    r.ListResFiles(f.name, ExtractFileExt(f.name), list);
    FUZZ_CHECK(std::find(list.begin(), list.end(), f.name) != list.end());
    for (const std::string& name : list) {
      FUZZ_CHECK(LowerAscii(name.substr(0, f.name.size())) == LowerAscii(f.name));
    }
  }
  // Longer than every stored name, so no entry can match it.
  const std::string missing(longest + 1, 'm');
  fake::FakeUi ui;
  Tresdata res;
  res.size = 7;
  FUZZ_CHECK(r.FindResFile(missing) == -1);
  FUZZ_CHECK(!r.GetResData(missing, res, ui));
  FUZZ_CHECK(ui.messages.size() == 1 && ui.endRequests == 1 && res.size == 7);
}

void CheckExtraction(const ResFile& r) {
  fake::FakeFileSystem fs;
  fs.PutFolder(kFolder);
  fake::FakeUi ui;
  bool refusedUpFront = false;
  bool done = false;
  try {
    ExtractAll(r, fs, ui, kFolder);
    done = true;
  } catch (const Error& e) {
    refusedUpFront = std::string(e.what()).starts_with("Cannot extract");
  }
  // Whatever the names, nothing lands outside the folder.
  for (const std::string& file : fs.FilesUnder("")) FUZZ_CHECK(Inside(file, true));
  for (const std::string& op : fs.journal) {
    if (op.starts_with("mkdir ")) FUZZ_CHECK(Inside(op.substr(6), false));
  }
  if (refusedUpFront) FUZZ_CHECK(fs.FilesUnder("").empty() && ui.messages.empty());
  if (!done) return;
  FUZZ_CHECK(ui.messages.size() == 1 &&
             ui.messages[0] == std::string("Extracted. [") + kFolder + "]");
  for (std::size_t i = 0; i < std::min(kLookups, r.ResFiles.size()); ++i) {
    std::string target = kFolder + r.ResFiles[i].name;
    std::replace(target.begin(), target.end(), '/', '\\');
    // A later entry of the same name (ignoring case) overwrites this one.
    const bool overwritten = std::any_of(r.ResFiles.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                         r.ResFiles.end(), [&](const TFile& later) {
                                           std::string t = kFolder + later.name;
                                           std::replace(t.begin(), t.end(), '/', '\\');
                                           return LowerAscii(t) == LowerAscii(target);
                                         });
    if (!overwritten) FUZZ_CHECK(fs.Get(target) == r.ResFiles[i].data);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResFile r;
  r.ResFiles.push_back(TFile{"before", 0, 0, 1, {42}});
  r.ResFileCount = 1;
  CountingProgress progress;
  try {
    r.LoadResData(ByteView(data, size), "fuzz", &progress);
  } catch (const Error& e) {
    // A refused archive names itself and leaves the catalogue as it was.
    FUZZ_CHECK(std::string(e.what()).find("\"fuzz\"") != std::string::npos);
    FUZZ_CHECK(r.ResFileCount == 1 && r.ResFiles.size() == 1 && r.ResFiles[0].name == "before");
    FUZZ_CHECK(progress.maxCalls == 0);
    return 0;
  }
  FUZZ_CHECK(progress.maxCalls == 1 && progress.max == r.ResFileCount);
  CheckCatalogue(r, data, size);
  CheckLookups(r);
  CheckExtraction(r);
  return 0;
}
