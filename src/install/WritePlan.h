// The writes of one setup on the target volume, recorded by a planning pass of the install
// steps before anything is written, together with what that pass read of the targets: the
// installing pass takes it over, so that no file is read twice. The steps see neither pass,
// only the sink they are given.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace setup {

class SetupLog;

class WritePlan {
 public:
  // The targets are read through files, which cannot write.
  explicit WritePlan(FileReader& files) : files_(&files) {}

  // What a target holds, compared with the bytes to install there.
  struct Target {
    bool exists = false;
    bool same = false;  // holds exactly those bytes
    std::uint64_t size = 0;
    Bytes bytes;  // kept only for a backup
  };

  // What path holds compared with want, read without a plan; the bytes are kept when keep is
  // set and they differ.
  static Target Read(FileReader& files, const std::string& path, const Bytes* want, bool keep);
  // Planning pass. Compares the target with want, null when there is nothing to install,
  // reading it only when it has want's size or keep is set (a file this plan writes earlier is
  // not read, and counts as different). The bytes stay here for the installing pass when keep
  // is set and they differ.
  Target Look(const std::string& path, const Bytes* want, bool keep);
  // Each folder of path that neither exists nor is planned yet.
  void Folders(const std::string& path);
  // A write of size bytes to path, which is new or replaces the file there.
  void Write(const std::string& path, std::uint64_t size);

  // Installing pass: what the planning pass found at path, handed over once; nullopt when it
  // did not look there.
  std::optional<Target> Take(const std::string& path);

  // The most room the writes take at once beyond what the volume holds now, replayed in order
  // in whole clusters: each file rounded up, a replacement beside the old file until its rename
  // frees the old clusters, a folder one cluster.
  std::uint64_t Peak(std::uint64_t clusterSize) const;

 private:
  struct Step {
    bool folder = false;
    std::uint64_t size = 0;
    std::optional<std::uint64_t> replaces;  // the size of the file it takes the place of
  };
  FileReader* files_;
  std::vector<Step> steps_;
  std::map<std::string, Target> looked_;          // by lower-case path
  std::map<std::string, std::uint64_t> planned_;  // sizes of the files the plan writes
  std::set<std::string> folders_;                 // there already, or planned
};

// All that an install step does to the card and the user: look at a target, write it, make its
// folders, log a line, tell the user.
class InstallSink {
 public:
  using Target = WritePlan::Target;
  virtual ~InstallSink() = default;
  // What path holds compared with want (null: nothing to install); its bytes are kept for a
  // backup when keep is set. Read once per setup.
  virtual Target Look(const std::string& path, const Bytes* want, bool keep) = 0;
  // Replaces path's content with data.
  virtual void Write(const std::string& path, ByteView data) = 0;
  // Writes the bytes that a look kept of a target to backup.
  virtual void BackUp(const std::string& backup, const Target& kept) = 0;
  // Creates folder with every missing parent; the outcome is not looked at.
  virtual void Folders(const std::string& folder) = 0;
  virtual void Log(const std::string& line) = 0;
  // A message box; with end, a fatal report.
  virtual void Tell(const std::string& text, bool end) = 0;
};

// The planning pass: records the writes into the plan, and logs, tells and writes nothing. It
// holds no file system; only the plan reads the targets.
class PlanningSink final : public InstallSink {
 public:
  explicit PlanningSink(WritePlan& plan) : plan_(plan) {}
  Target Look(const std::string& path, const Bytes* want, bool keep) override;
  void Write(const std::string& path, ByteView data) override;
  void BackUp(const std::string& backup, const Target& kept) override;
  void Folders(const std::string& folder) override;
  void Log(const std::string&) override {}
  void Tell(const std::string&, bool) override {}

 private:
  WritePlan& plan_;
};

// The installing pass: writes through the file system, logs and tells, and takes what the plan
// read of a target; one the plan did not look at (or every one, without a plan) it reads itself.
class InstallingSink final : public InstallSink {
 public:
  InstallingSink(FileSystem& fs, SetupLog& log, Ui& ui, WritePlan* plan = nullptr)
      : fs_(fs), log_(log), ui_(ui), plan_(plan) {}
  Target Look(const std::string& path, const Bytes* want, bool keep) override;
  void Write(const std::string& path, ByteView data) override;
  void BackUp(const std::string& backup, const Target& kept) override;
  void Folders(const std::string& folder) override;
  void Log(const std::string& line) override;
  void Tell(const std::string& text, bool end) override;

 private:
  FileSystem& fs_;
  SetupLog& log_;
  Ui& ui_;
  WritePlan* plan_;
};

}  // namespace setup
