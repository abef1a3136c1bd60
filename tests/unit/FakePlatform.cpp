#include "FakePlatform.h"

#include <algorithm>

#include "platform/Paths.h"

namespace setup::fake {

namespace {
const char kDenied[] = "Access is denied.";
const char kLocked[] =
    "The process cannot access the file because it is being used by another process.";
const char kProtected[] = "The media is write protected.";
const char kNotFound[] = "The system cannot find the file specified.";
const char kNoPath[] = "The system cannot find the path specified.";
const char kFull[] = "There is not enough space on the disk.";

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return LowerAscii(text.substr(0, prefix.size())) == LowerAscii(prefix);
}

std::string TrimSeparator(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

bool IsDriveRoot(const std::string& key) {
  return key.size() <= 3 && key.size() >= 2 && key[1] == ':';
}
}  // namespace

std::string FakeFileSystem::Key(const std::string& path) {
  return LowerAscii(TrimSeparator(path));
}

void FakeFileSystem::PutFile(const std::string& path, const Bytes& data) {
  MakeFolders(ExtractFilePath(path), false);
  files_[Key(path)] = Node{path, data};
}

void FakeFileSystem::PutFile(const std::string& path, const std::string& text) {
  PutFile(path, Bytes(text.begin(), text.end()));
}

void FakeFileSystem::PutFolder(const std::string& path) {
  MakeFolders(path, false);
}

void FakeFileSystem::Mount(const std::string& root, std::uint64_t clusterSize,
                           std::uint64_t totalBytes) {
  volumes_[Key(root)] = Volume{clusterSize, totalBytes, 0};
  volumes_[Key(root)].leastFree = Free(Key(root));
}

std::string FakeFileSystem::VolumeOf(const std::string& key) const {
  std::string deepest;
  for (const auto& [root, volume] : volumes_) {
    const bool below = key.size() > root.size() && key.starts_with(root) &&
                       (root.back() == '\\' || key[root.size()] == '\\');
    if (below && root.size() > deepest.size()) deepest = root;
  }
  return deepest;
}

std::uint64_t FakeFileSystem::Free(const std::string& root) const {
  const Volume& v = volumes_.at(root);
  std::uint64_t taken = 0;
  for (const auto& [key, node] : files_) {
    if (VolumeOf(key) == root) taken += v.Whole(node.data.size());
  }
  for (const auto& key : folders_) {
    if (VolumeOf(key) == root) taken += v.clusterSize;
  }
  return v.total - std::min(taken, v.total);
}

bool FakeFileSystem::Room(const std::string& path, std::uint64_t bytes, std::uint64_t over) {
  const std::string root = VolumeOf(Key(path));
  if (root.empty()) return true;
  Volume& v = volumes_[root];
  const std::uint64_t more = v.Whole(over + bytes) - v.Whole(over);
  const std::uint64_t free = Free(root);
  if (more > free) return false;
  v.leastFree = std::min(v.leastFree, free - more);
  return true;
}

std::optional<VolumeSpace> FakeFileSystem::SpaceOf(const std::string& root) const {
  const auto it = volumes_.find(Key(root));
  if (it == volumes_.end()) return std::nullopt;
  return VolumeSpace{it->second.clusterSize, Free(it->first), it->second.total};
}

std::uint64_t FakeFileSystem::LeastFree(const std::string& root) const {
  const auto it = volumes_.find(Key(root));
  return it == volumes_.end() ? 0 : it->second.leastFree;
}

std::optional<Bytes> FakeFileSystem::Get(const std::string& path) const {
  const auto it = files_.find(Key(path));
  if (it == files_.end()) return std::nullopt;
  return it->second.data;
}

std::string FakeFileSystem::Text(const std::string& path) const {
  const auto b = Get(path);
  return b ? std::string(b->begin(), b->end()) : std::string();
}

std::vector<std::string> FakeFileSystem::Lines(const std::string& path) const {
  std::vector<std::string> lines;
  const std::string text = Text(path);
  for (std::size_t pos = 0; pos < text.size();) {
    const auto end = text.find("\r\n", pos);
    lines.push_back(text.substr(pos, end - pos));
    pos = end == std::string::npos ? end : end + 2;
  }
  return lines;
}

std::vector<std::string> FakeFileSystem::FilesUnder(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& [key, node] : files_) {
    if (StartsWithNoCase(node.name, prefix)) out.push_back(node.name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

void FakeFileSystem::SetFault(const std::string& path, Fault fault) {
  faults_[Key(path)] = fault;
}

std::optional<Fault> FakeFileSystem::FaultOf(const std::string& path) const {
  const auto it = faults_.find(Key(path));
  if (it != faults_.end()) return it->second;
  for (const auto& p : protectedPrefixes_) {
    if (StartsWithNoCase(path, p)) return Fault::WriteProtect;
  }
  return std::nullopt;
}

bool FakeFileSystem::ParentExists(const std::string& path) const {
  const std::string parent = Key(ExtractFilePath(path));
  return IsDriveRoot(parent) || folders_.count(parent) > 0;
}

bool FakeFileSystem::FileExists(const std::string& path) {
  return files_.count(Key(path)) > 0;
}

bool FakeFileSystem::FolderExists(const std::string& path) {
  const std::string key = Key(path);
  return IsDriveRoot(key) || folders_.count(key) > 0;
}

std::optional<std::uint64_t> FakeFileSystem::FileSize(const std::string& path) {
  const auto it = files_.find(Key(path));
  if (it == files_.end()) return std::nullopt;
  return it->second.data.size();
}

std::optional<Fault> FakeFileSystem::Begin(const std::string& op, const std::string& path) {
  journal.push_back(op + " " + path);
  const std::size_t index = operations_++;
  if (armed_ && armed_->index == index) {
    faultMet = path;
    const Fault fault = armed_->fault;
    armed_.reset();
    return fault;
  }
  return std::nullopt;
}

Bytes FakeFileSystem::ReadWholeFile(const std::string& path) {
  auto fault = Begin("read", path);
  if (!fault) fault = FaultOf(path);
  if (fault == Fault::Refuse) throw OpenError(path, kDenied);
  if (fault == Fault::Lock) throw OpenError(path, kLocked);
  const auto it = files_.find(Key(path));
  if (it == files_.end()) throw OpenError(path, kNotFound);
  return it->second.data;
}

// As on Windows with a temporary file renamed over the target: the new bytes need room beside
// the old ones, and any failure leaves the old content exactly as it was.
void FakeFileSystem::WriteWholeFile(const std::string& path, ByteView data) {
  auto fault = Begin("write", path);
  if (!fault) fault = FaultOf(path);
  if (fault == Fault::Refuse) throw CreateError(path, kDenied);
  if (fault == Fault::Lock) throw CreateError(path, kLocked);
  if (fault == Fault::WriteProtect) throw CreateError(path, kProtected);
  if (folders_.count(Key(path)) || IsDriveRoot(Key(path))) throw CreateError(path, kDenied);
  if (!ParentExists(path)) throw CreateError(path, kNoPath);
  // The new clusters are taken while the old file still holds its own; the rename frees them.
  if (fault == Fault::Full || !Room(path, data.size())) throw WriteError(path, kFull);
  auto& node = files_[Key(path)];
  if (node.name.empty()) node.name = path;
  node.data.assign(data.begin(), data.end());
}

void FakeFileSystem::AppendLine(const std::string& path, const std::string& line) {
  auto fault = Begin("append", path);
  if (!fault) fault = FaultOf(path);
  if (fault == Fault::Refuse) throw OpenError(path, kDenied);
  if (fault == Fault::Lock) throw OpenError(path, kLocked);
  if (fault == Fault::WriteProtect) throw OpenError(path, kProtected);
  if (!ParentExists(path)) throw OpenError(path, kNoPath);
  const std::string text = line + "\r\n";
  const auto old = files_.find(Key(path));
  const std::size_t oldSize = old == files_.end() ? 0 : old->second.data.size();
  // Appending keeps the file's clusters and takes more only as it grows past them.
  if (fault == Fault::Full || !Room(path, text.size(), oldSize)) throw WriteError(path, kFull);
  auto& node = files_[Key(path)];
  if (node.name.empty()) node.name = path;
  node.data.insert(node.data.end(), text.begin(), text.end());
}

bool FakeFileSystem::DeleteFile(const std::string& path) {
  if (Begin("delete", path) || FaultOf(path)) return false;
  const auto it = files_.find(Key(path));
  if (it == files_.end()) return false;
  files_.erase(it);
  return true;
}

bool FakeFileSystem::CreateFolders(const std::string& path) {
  if (Begin("mkdir", path)) return false;
  return MakeFolders(path, true);
}

bool FakeFileSystem::MakeFolders(const std::string& path, bool counted) {
  const std::string trimmed = TrimSeparator(path);
  if (trimmed.empty()) return false;
  // Walk the "\"-separated parts, making each missing one.
  for (std::size_t pos = 0; pos != std::string::npos;) {
    pos = trimmed.find('\\', pos + 1);
    const std::string part = trimmed.substr(0, pos);
    const std::string key = Key(part);
    if (IsDriveRoot(key) || folders_.count(key)) continue;
    if (files_.count(key) || FaultOf(part)) return false;
    if (counted && !Room(part, 1)) return false;
    folders_.insert(key);
  }
  return true;
}

// ---------------------------------------------------------------------------

std::string FakeProfile::ReadString(const std::string& file, const std::string& section,
                                    const std::string& key, const std::string& def) {
  const auto f = files_.find(LowerAscii(file));
  if (f == files_.end()) return def;
  for (const auto& s : f->second) {
    if (LowerAscii(s.name) != LowerAscii(section)) continue;
    for (const auto& e : s.entries) {
      if (LowerAscii(e.key) == LowerAscii(key)) return e.value;
    }
  }
  return def;
}

void FakeProfile::WriteString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& value) {
  journal.push_back("write " + section + "." + key + "=" + value);
  if (readOnly.count(file)) throw Error(file + " に書き込めません");
  auto& sections = files_[LowerAscii(file)];
  auto s = std::find_if(sections.begin(), sections.end(), [&](const Section& x) {
    return LowerAscii(x.name) == LowerAscii(section);
  });
  if (s == sections.end()) s = sections.insert(sections.end(), Section{section, {}});
  for (auto& e : s->entries) {
    if (LowerAscii(e.key) == LowerAscii(key)) {
      e.value = value;
      return;
    }
  }
  s->entries.push_back(Entry{key, value});
}

void FakeProfile::Flush(const std::string&) {
  ++flushes;
}

bool FakeProfile::Exists(const std::string& file) const {
  return files_.count(LowerAscii(file)) > 0;
}

std::string FakeProfile::Dump(const std::string& file) const {
  const auto f = files_.find(LowerAscii(file));
  if (f == files_.end()) return {};
  std::string out;
  for (const auto& s : f->second) {
    out += "[" + s.name + "]\r\n";
    for (const auto& e : s.entries) out += e.key + "=" + e.value + "\r\n";
  }
  return out;
}

// ---------------------------------------------------------------------------

std::optional<VolumeInfo> FakeVolumes::QueryVolume(const std::string& root) {
  queried.push_back(root);
  const auto it = drives.find(root.empty() ? '\0' : root[0]);
  if (it == drives.end() || !it->second.answers) return std::nullopt;
  return it->second.info;
}

std::optional<VolumeSpace> FakeVolumes::QuerySpace(const std::string& root) {
  return files ? files->SpaceOf(root) : std::nullopt;
}

unsigned FakeVolumes::DriveType(const std::string& root) {
  const auto it = drives.find(root.empty() ? '\0' : root[0]);
  return it == drives.end() ? 1 : it->second.type;
}

Process::Wait FakeProcess::WaitFor(unsigned milliseconds) {
  log_->push_back("wait " + std::to_string(milliseconds));
  if (waitFails_) return Wait::Failed;
  if (remaining_-- > 0) return Wait::TimedOut;
  return Wait::Ended;
}

std::optional<std::string> FakeProcesses::GetEnv(const std::string& name) {
  const auto it = env.find(name);
  if (it == env.end()) return std::nullopt;
  return it->second;
}

std::unique_ptr<Process> FakeProcesses::StartHidden(const std::string& commandLine,
                                                    const std::string& folder) {
  started.push_back({commandLine, folder});
  if (startFails) return nullptr;
  return std::make_unique<FakeProcess>(timeoutsBeforeEnd, waitFails, &log);
}

ByteView FakeModule::Resource(const std::string& name) {
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const auto it = resources.find(upper);
  if (it == resources.end()) {
    throw Error("Cannot load resource \"" + name +
                "\". The specified resource name cannot be found in the image file.");
  }
  return it->second;
}

}  // namespace setup::fake
