#include "archive/extract.h"

#include <algorithm>

#include "platform/Paths.h"

namespace setup {

namespace {

// Windows drops trailing dots and blanks from a path component, so "..." or ".. " would
// climb out as ".." does.
bool ClimbsUp(const std::string& part) {
  return std::count(part.begin(), part.end(), '.') >= 2 &&
         part.find_first_not_of(". ") == std::string::npos;
}

// Why the name would land outside the extraction folder, or "" when it stays inside.
std::string Escape(const std::string& name) {
  if (name.empty()) return "the name is empty";
  if (name[0] == '\\' || name[0] == '/') return "the name is absolute";
  if (name.size() >= 2 && name[1] == ':') return "the name carries a drive";
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t end = std::min(name.find_first_of("\\/", start), name.size());
    if (ClimbsUp(name.substr(start, end - start))) return "the name climbs out with \"..\"";
    start = end + 1;
  }
  // Trimmed the same way, a last part of only dots and blanks is no name: the path names its own
  // folder, and creating it would fail only after the entries before it were written.
  const std::size_t last = name.find_last_of("\\/");
  if (name.find_first_not_of(". ", last == std::string::npos ? 0 : last + 1) == std::string::npos) {
    return "the name ends without a file name";
  }
  return {};
}

}  // namespace

void ExtractAll(const ResFile& catalogue, FileSystem& fs, Ui& ui, const std::string& folder) {
  // Checked up front so a bad entry leaves the folder untouched.
  for (const TFile& f : catalogue.ResFiles) {
    const std::string why = Escape(f.name);
    if (!why.empty()) {
      throw Error("Cannot extract \"" + f.name + "\" into \"" + folder + "\": " + why + ".");
    }
  }
  // Entries are written by index: a lookup by name would give two names that differ only in
  // case the first one's bytes.
  for (const TFile& f : catalogue.ResFiles) {
    std::string target = folder + f.name;
    std::replace(target.begin() + static_cast<std::ptrdiff_t>(folder.size()), target.end(), '/',
                 '\\');
    fs.CreateFolders(ExtractFilePath(target));
    fs.WriteWholeFile(target, f.data);
  }
  ui.ShowMessage("Extracted. [" + folder + "]");
}

}  // namespace setup
