#include "install/WritePlan.h"

#include <algorithm>
#include <utility>

#include "platform/Paths.h"

namespace setup {

WritePlan::Target WritePlan::Look(FileSystem& fs, const std::string& path, const Bytes* want,
                                  bool keep) {
  const std::string key = LowerAscii(path);
  Target found;
  if (const auto p = planned_.find(key); p != planned_.end()) {
    found.exists = true;
    found.size = p->second;
    return found;
  }
  Target& kept = looked_[key];
  kept = Target{};
  const auto size = fs.FileSize(path);
  kept.exists = size.has_value();
  kept.size = size.value_or(0);
  // A file of another size cannot hold the bytes; it is read only for its backup.
  if (size && (keep || (want && want->size() == *size))) {
    Bytes now = fs.ReadWholeFile(path);
    kept.size = now.size();
    kept.same = want && *want == now;
    if (keep && !kept.same) kept.bytes = std::move(now);
  }
  found.exists = kept.exists;
  found.same = kept.same;
  found.size = kept.size;
  return found;
}

void WritePlan::Folders(FileSystem& fs, const std::string& path) {
  std::string trimmed = path;
  while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  for (std::size_t pos = 0; pos != std::string::npos;) {
    pos = trimmed.find('\\', pos + 1);
    const std::string part = trimmed.substr(0, pos);
    if (part.empty() || part.back() == ':') continue;  // a drive is there
    const std::string key = LowerAscii(part);
    if (folders_.count(key)) continue;
    folders_.insert(key);
    if (!fs.FolderExists(part)) steps_.push_back(Step{true, 0, std::nullopt});
  }
}

void WritePlan::Write(FileSystem& fs, const std::string& path, std::uint64_t size) {
  const std::string key = LowerAscii(path);
  Step step{false, size, std::nullopt};
  if (const auto p = planned_.find(key); p != planned_.end()) {
    step.replaces = p->second;
  } else if (const auto l = looked_.find(key); l != looked_.end()) {
    if (l->second.exists) step.replaces = l->second.size;
  } else {
    step.replaces = fs.FileSize(path);  // a .bak, which is never read
  }
  steps_.push_back(step);
  planned_[key] = size;
}

std::optional<WritePlan::Target> WritePlan::Take(const std::string& path) {
  const auto it = looked_.find(LowerAscii(path));
  if (it == looked_.end()) return std::nullopt;
  Target target = std::move(it->second);
  looked_.erase(it);
  return target;
}

std::uint64_t WritePlan::Peak(std::uint64_t clusterSize) const {
  const std::uint64_t unit = std::max<std::uint64_t>(clusterSize, 1);
  const auto whole = [unit](std::uint64_t bytes) { return (bytes + unit - 1) / unit * unit; };
  // Signed: a replacement by a smaller file leaves room for the writes after it.
  std::int64_t taken = 0, peak = 0;
  for (const Step& step : steps_) {
    taken += static_cast<std::int64_t>(step.folder ? unit : whole(step.size));
    peak = std::max(peak, taken);
    if (step.replaces) taken -= static_cast<std::int64_t>(whole(*step.replaces));
  }
  return static_cast<std::uint64_t>(peak);
}

}  // namespace setup
