#include "archive/resfile.h"

#include <algorithm>

#include "platform/Paths.h"

namespace setup {

namespace {

std::uint32_t Read32(ByteView archive, std::size_t at) {
  return static_cast<std::uint32_t>(archive[at]) |
         static_cast<std::uint32_t>(archive[at + 1]) << 8 |
         static_cast<std::uint32_t>(archive[at + 2]) << 16 |
         static_cast<std::uint32_t>(archive[at + 3]) << 24;
}

[[noreturn]] void Damaged(const std::string& archiveName, const std::string& what) {
  throw Error("The archive \"" + archiveName + "\" is damaged: " + what + ".");
}

std::string EntryText(std::int32_t i) {
  return "entry " + std::to_string(i);
}

}  // namespace

void ResFile::LoadResData(ByteView archive, const std::string& archiveName,
                          LoadProgress* progress) {
  const std::size_t length = archive.size();
  if (length < 4) {
    Damaged(archiveName,
            "it is " + std::to_string(length) + " bytes long, too short for the entry count");
  }
  const auto count = static_cast<std::int32_t>(Read32(archive, 0));
  if (count < 0) Damaged(archiveName, "the entry count " + std::to_string(count) + " is negative");
  // Checked before the catalogue is sized, so a wild count cannot ask for memory.
  if (static_cast<std::uint64_t>(count) > (length - 4) / 12) {
    Damaged(archiveName, "the header of " + std::to_string(count) + " entries runs past the end (" +
                             std::to_string(length) + " bytes)");
  }

  // Every entry is checked before anything is copied: a damaged archive leaves the catalogue
  // as it was.
  std::vector<TFile> files(static_cast<std::size_t>(count));
  std::vector<std::size_t> nameLengths(files.size());
  std::uint64_t total = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    TFile& f = files[static_cast<std::size_t>(i)];
    const std::size_t record = 4 + 12 * static_cast<std::size_t>(i);
    f.nameOffset = Read32(archive, record);
    f.dataOffset = Read32(archive, record + 4);
    f.size = Read32(archive, record + 8);
    if (f.nameOffset >= length) {
      Damaged(archiveName, EntryText(i) + "'s name starts past the end (offset " +
                               std::to_string(f.nameOffset) + ")");
    }
    const auto nameStart = archive.begin() + f.nameOffset;
    const auto zero = std::find(nameStart, archive.end(), std::uint8_t{0});
    if (zero == archive.end())
      Damaged(archiveName, EntryText(i) + "'s name has no zero terminator");
    nameLengths[static_cast<std::size_t>(i)] = static_cast<std::size_t>(zero - nameStart);
    if (static_cast<std::uint64_t>(f.dataOffset) + f.size > length) {
      Damaged(archiveName, EntryText(i) + "'s data runs past the end (offset " +
                               std::to_string(f.dataOffset) + ", size " + std::to_string(f.size) +
                               ", archive " + std::to_string(length) + " bytes)");
    }
    // Summed entry by entry, so the total cannot wrap however many entries follow.
    total += f.size;
    if (total > kMaxCatalogueBytes) {
      Damaged(archiveName, EntryText(i) + "'s data takes the entries to " + std::to_string(total) +
                               " bytes, more than the " + std::to_string(kMaxCatalogueBytes) +
                               " bytes a catalogue holds");
    }
  }
  if (progress) progress->SetMax(count);

  for (std::int32_t i = 0; i < count; ++i) {
    if (i % 16 == 0 && progress) progress->SetPosition(i);
    TFile& f = files[static_cast<std::size_t>(i)];
    const auto name = archive.subspan(f.nameOffset, nameLengths[static_cast<std::size_t>(i)]);
    f.name.assign(name.begin(), name.end());
    const auto data = archive.subspan(f.dataOffset, f.size);
    f.data.assign(data.begin(), data.end());
  }
  ResFiles = std::move(files);
  ResFileCount = count;
}

void ResFile::ListResFiles(const std::string& prefix, const std::string& extension,
                           std::vector<std::string>& list) const {
  list.clear();
  const std::string lowPrefix = LowerAscii(prefix);
  const std::string lowExt = LowerAscii(extension);
  for (const TFile& f : ResFiles) {
    // A name shorter than the prefix compares whole, and so never matches.
    if (!lowPrefix.empty() && LowerAscii(f.name.substr(0, lowPrefix.size())) != lowPrefix) continue;
    if (!lowExt.empty() && LowerAscii(ExtractFileExt(f.name)) != lowExt) continue;
    list.push_back(f.name);
  }
}

std::int32_t ResFile::FindResFile(const std::string& name) const {
  const std::string low = LowerAscii(name);
  for (std::size_t i = 0; i < ResFiles.size(); ++i) {
    if (LowerAscii(ResFiles[i].name) == low) return static_cast<std::int32_t>(i);
  }
  return -1;
}

std::string NoFileFound(const std::string& name) {
  return "no file found. [" + name + "]";
}

bool ResFile::GetResData(const std::string& name, Tresdata& res, Ui& ui) const {
  const std::int32_t i = FindResFile(name);
  if (i == -1) {
    FatalReport(ui, NoFileFound(name));
    return false;
  }
  GetResData(i, res);
  return true;
}

void ResFile::GetResData(std::int32_t index, Tresdata& res) const {
  const TFile& f = ResFiles.at(static_cast<std::size_t>(index));
  res.size = static_cast<std::int32_t>(f.size);
  res.data = f.data;
}

}  // namespace setup
