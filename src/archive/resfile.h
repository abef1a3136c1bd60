// The catalogue of the payload archive embedded in the executable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace setup {

// The most bytes the catalogue copies out of an archive, all entries together. Entries may
// overlap, so a small archive can ask for far more than it holds. The shipped payload copies
// under 2 MB; 256 MiB is over a hundred times that, and still leaves most of the 2 GB a 32-bit
// process can address to the archive itself and the images built from it.
constexpr std::uint64_t kMaxCatalogueBytes = 256u << 20;

// One archived file.
struct TFile {
  std::string name;  // stored name, byte for byte
  std::uint32_t nameOffset = 0;
  std::uint32_t dataOffset = 0;
  std::uint32_t size = 0;
  Bytes data;
};

// A caller-owned copy of one entry's bytes.
struct Tresdata {
  Bytes data;
  std::int32_t size = 0;
};

// Told of the load's progress; the loading window's progress bar.
class LoadProgress {
 public:
  virtual ~LoadProgress() = default;
  virtual void SetMax(std::int32_t max) = 0;
  virtual void SetPosition(std::int32_t position) = 0;
};

// What a missing entry is reported as.
std::string NoFileFound(const std::string& name);

class ResFile {
 public:
  std::vector<TFile> ResFiles;
  std::int32_t ResFileCount = 0;

  // Reads the archive into the catalogue. archiveName names the archive in error texts.
  // A damaged archive, or one whose entries hold more than kMaxCatalogueBytes, raises Error
  // before anything large is allocated.
  void LoadResData(ByteView archive, const std::string& archiveName, LoadProgress* progress);
  // Clears list, then appends the stored names matching prefix and extension (both optional,
  // ASCII case ignored) in catalogue order.
  void ListResFiles(const std::string& prefix, const std::string& extension,
                    std::vector<std::string>& list) const;
  // Index of the first entry whose name equals name ignoring case, or -1.
  std::int32_t FindResFile(const std::string& name) const;
  // Copies the entry into res. A missing name is a fatal report "no file found. [name]" through
  // ui; res stays untouched and the result is false.
  bool GetResData(const std::string& name, Tresdata& res, Ui& ui) const;
  // Copies entry index (which must exist) into res.
  void GetResData(std::int32_t index, Tresdata& res) const;
};

}  // namespace setup
