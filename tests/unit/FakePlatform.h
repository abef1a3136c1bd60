// In-memory platform for the core's tests: a Windows-like file system (names ignore case,
// drive roots always exist) that can refuse, lock, write-protect or fill up on demand, a
// private-profile store with the Windows semantics, volumes, processes and a scripted Ui.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "install/Questions.h"
#include "platform/Platform.h"

namespace setup::fake {

enum class Fault {
  Refuse,        // create and open fail: "Access is denied."
  Lock,          // open and create fail: held open by another program
  WriteProtect,  // every write fails: "The media is write protected."
  Full,          // the medium has no room left for this write
};

class FakeFileSystem : public FileSystem {
 public:
  // --- set-up and inspection ---
  void PutFile(const std::string& path, const Bytes& data);
  void PutFile(const std::string& path, const std::string& text);
  void PutFolder(const std::string& path);
  std::optional<Bytes> Get(const std::string& path) const;
  std::string Text(const std::string& path) const;  // "" when missing
  // The file's CR LF separated lines (a log), none when missing.
  std::vector<std::string> Lines(const std::string& path) const;
  // Files whose path starts with prefix (ASCII case ignored), stored names, sorted.
  std::vector<std::string> FilesUnder(const std::string& prefix) const;
  void SetFault(const std::string& path, Fault fault);
  // Every write of a path below prefix fails (a write-protected card).
  void WriteProtectBelow(const std::string& prefix) { protectedPrefixes_.push_back(prefix); }
  // From now on the paths below root (a drive such as "E:\", or a folder with a limit of its
  // own) are a volume counted as a FAT card counts: a file takes its size in whole clusters, a
  // folder one cluster, a replacement its old and new clusters until its rename, and what does
  // not fit into totalBytes beside the volume's files fails as on a full card. A cluster size
  // of 1 counts exact bytes. A path is on the deepest volume above it; PutFile and PutFolder
  // take room unchecked.
  void Mount(const std::string& root, std::uint64_t clusterSize, std::uint64_t totalBytes);
  // What the volume mounted at root reports, nullopt when there is none.
  std::optional<VolumeSpace> SpaceOf(const std::string& root) const;
  // The least free room that volume has had since it was mounted.
  std::uint64_t LeastFree(const std::string& root) const;
  // The operation with this number (counted from 0 over read, write, append, delete and mkdir
  // calls, from now on) meets the fault, once; a failed mkdir makes no folder.
  void FailOperation(std::size_t index, Fault fault) { armed_ = Armed{operations_ + index, fault}; }
  // The path the armed fault met, once it has.
  std::optional<std::string> faultMet;
  std::size_t Operations() const { return operations_; }
  // Operations in call order: "write E:\x", "append E:\log", "mkdir E:\Skylarch\", ...
  std::vector<std::string> journal;

  // --- FileSystem ---
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  Bytes ReadWholeFile(const std::string& path) override;
  void WriteWholeFile(const std::string& path, ByteView data) override;
  void AppendLine(const std::string& path, const std::string& line) override;
  bool DeleteFile(const std::string& path) override;
  bool CreateFolders(const std::string& path) override;

 private:
  struct Node {
    std::string name;  // as first written
    Bytes data;
  };
  static std::string Key(const std::string& path);
  bool ParentExists(const std::string& path) const;
  // Counted folders need room on their volume.
  bool MakeFolders(const std::string& path, bool counted);
  // Counts and records the operation; the armed fault when this is its turn.
  std::optional<Fault> Begin(const std::string& op, const std::string& path);
  std::optional<Fault> FaultOf(const std::string& path) const;
  struct Volume {
    std::uint64_t clusterSize, total, leastFree;
    std::uint64_t Whole(std::uint64_t bytes) const {
      return (bytes + clusterSize - 1) / clusterSize * clusterSize;
    }
  };
  // The root of the volume a path (as Key() gives it) is on, "" when it is on none.
  std::string VolumeOf(const std::string& key) const;
  std::uint64_t Free(const std::string& root) const;
  // Whether bytes more, written beyond the first over bytes of a file, fit on path's volume.
  bool Room(const std::string& path, std::uint64_t bytes, std::uint64_t over = 0);
  std::map<std::string, Volume> volumes_;  // by root, as Key() gives it
  struct Armed {
    std::size_t index;
    Fault fault;
  };
  std::optional<Armed> armed_;
  std::size_t operations_ = 0;
  std::map<std::string, Node> files_;
  std::set<std::string> folders_;
  std::map<std::string, Fault> faults_;
  std::vector<std::string> protectedPrefixes_;
};

// Private-profile files kept in memory: sections and keys match ignoring ASCII case, a read
// never creates a file, writes keep the order of first appearance.
class FakeProfile : public Profile {
 public:
  std::string ReadString(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& def) override;
  void WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;
  void Flush(const std::string& file) override;

  bool Exists(const std::string& file) const;
  // The file as INI text ("[section]\r\nkey=value\r\n..."), "" when it does not exist.
  std::string Dump(const std::string& file) const;
  // Files that refuse every write.
  std::set<std::string> readOnly;
  int flushes = 0;
  std::vector<std::string> journal;  // "write section.key=value"

 private:
  struct Entry {
    std::string key, value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  std::map<std::string, std::vector<Section>> files_;
};

class FakeVolumes : public Volumes {
 public:
  struct Drive {
    VolumeInfo info;
    unsigned type = 3;
    bool answers = true;
  };
  std::map<char, Drive> drives;  // by upper-case letter
  // The file system whose volume the space query reports; none: the query fails.
  const FakeFileSystem* files = nullptr;
  std::optional<VolumeInfo> QueryVolume(const std::string& root) override;
  unsigned DriveType(const std::string& root) override;
  std::optional<VolumeSpace> QuerySpace(const std::string& root) override;
  std::vector<std::string> queried;
};

class FakeProcess : public Process {
 public:
  // waitFails: every wait fails rather than timing out or seeing the end.
  FakeProcess(int timeoutsBeforeEnd, bool waitFails, std::vector<std::string>* log)
      : remaining_(timeoutsBeforeEnd), waitFails_(waitFails), log_(log) {}
  ~FakeProcess() override { log_->push_back("close"); }
  Wait WaitFor(unsigned milliseconds) override;

 private:
  int remaining_;
  bool waitFails_;
  std::vector<std::string>* log_;
};

class FakeProcesses : public Processes {
 public:
  std::map<std::string, std::string> env;
  bool startFails = false;
  int timeoutsBeforeEnd = 0;
  bool waitFails = false;
  struct Started {
    std::string commandLine, folder;
  };
  std::vector<Started> started;
  std::vector<std::string> log;  // "wait 100", "close"
  std::optional<std::string> GetEnv(const std::string& name) override;
  std::unique_ptr<Process> StartHidden(const std::string& commandLine,
                                       const std::string& folder) override;
};

class FakeUi : public Ui {
 public:
  std::vector<std::string> messages;
  int endRequests = 0;
  int pumps = 0;
  std::function<void(const std::string&)> onMessage;  // runs while the box is "open"
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    if (onMessage) onMessage(text);
  }
  void RequestEnd() override { ++endRequests; }
  bool EndRequested() const override { return endRequests > 0; }
  void ProcessMessages() override { ++pumps; }
};

class FakeModule : public Module {
 public:
  std::string exePath = "C:\\Tools\\Setup.exe";
  std::map<std::string, Bytes> resources;  // by upper-case name
  std::string ExePath() override { return exePath; }
  ByteView Resource(const std::string& name) override;
};

// Every choice ticked or every one unticked.
inline Choices AllChoices(bool ticked) {
  Choices all;
  for (const auto& c : kChoices) all.Set(c.id, ticked);
  return all;
}

class FakeCaption : public MainCaption {
 public:
  std::string caption;
  int sets = 0;
  void SetMainCaption(const std::string& c) override {
    caption = c;
    ++sets;
  }
};

}  // namespace setup::fake
