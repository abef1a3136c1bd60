#include "install/WritePlan.h"

#include <algorithm>
#include <utility>

#include "install/SetupLog.h"
#include "platform/Paths.h"

namespace setup {

WritePlan::Target WritePlan::Read(FileReader& files, const std::string& path, const Bytes* want,
                                  bool keep) {
  Target found;
  const auto size = files.FileSize(path);
  found.exists = size.has_value();
  found.size = size.value_or(0);
  // A file of another size cannot hold the bytes; it is read only for its backup.
  if (size && (keep || (want && want->size() == *size))) {
    Bytes now = files.ReadWholeFile(path);
    found.size = now.size();
    found.same = want && *want == now;
    if (keep && !found.same) found.bytes = std::move(now);
  }
  return found;
}

WritePlan::Target WritePlan::Look(const std::string& path, const Bytes* want, bool keep) {
  const std::string key = LowerAscii(path);
  if (const auto p = planned_.find(key); p != planned_.end()) {
    return Target{true, false, p->second, {}};
  }
  const Target& kept = looked_[key] = Read(*files_, path, want, keep);
  return Target{kept.exists, kept.same, kept.size, {}};
}

void WritePlan::Folders(const std::string& path) {
  std::string trimmed = path;
  while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  for (std::size_t pos = 0; pos != std::string::npos;) {
    pos = trimmed.find('\\', pos + 1);
    const std::string part = trimmed.substr(0, pos);
    if (part.empty() || part.back() == ':') continue;  // a drive is there
    const std::string key = LowerAscii(part);
    if (folders_.count(key)) continue;
    folders_.insert(key);
    if (!files_->FolderExists(part)) steps_.push_back(Step{true, 0, std::nullopt});
  }
}

void WritePlan::Write(const std::string& path, std::uint64_t size) {
  const std::string key = LowerAscii(path);
  Step step{false, size, std::nullopt};
  if (const auto p = planned_.find(key); p != planned_.end()) {
    step.replaces = p->second;
  } else if (const auto l = looked_.find(key); l != looked_.end()) {
    if (l->second.exists) step.replaces = l->second.size;
  } else {
    step.replaces = files_->FileSize(path);  // a .bak, which is never read
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

WritePlan::Target PlanningSink::Look(const std::string& path, const Bytes* want, bool keep) {
  return plan_.Look(path, want, keep);
}

void PlanningSink::Write(const std::string& path, ByteView data) {
  plan_.Write(path, data.size());
}

// The old bytes wait in the plan; only their size counts here.
void PlanningSink::BackUp(const std::string& backup, const Target& kept) {
  plan_.Write(backup, kept.size);
}

void PlanningSink::Folders(const std::string& folder) {
  plan_.Folders(folder);
}

WritePlan::Target InstallingSink::Look(const std::string& path, const Bytes* want, bool keep) {
  if (plan_) {
    if (auto target = plan_->Take(path)) return std::move(*target);
  }
  return WritePlan::Read(fs_, path, want, keep);
}

void InstallingSink::Write(const std::string& path, ByteView data) {
  fs_.WriteWholeFile(path, data);
}

void InstallingSink::BackUp(const std::string& backup, const Target& kept) {
  fs_.WriteWholeFile(backup, kept.bytes);
}

void InstallingSink::Folders(const std::string& folder) {
  fs_.CreateFolders(folder);
}

void InstallingSink::Log(const std::string& line) {
  log_.WriteLog(line);
}

void InstallingSink::Tell(const std::string& text, bool end) {
  ui_.ShowMessage(text);
  if (end) ui_.RequestEnd();
}

}  // namespace setup
