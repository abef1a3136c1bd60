// The writes of one setup on the target volume, recorded by a planning pass of the install
// steps before anything is written, together with what that pass read of the targets: the
// installing pass takes it over, so that no file is read twice.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace setup {

class WritePlan {
 public:
  // What a target holds, compared with the bytes to install there.
  struct Target {
    bool exists = false;
    bool same = false;  // holds exactly those bytes
    std::uint64_t size = 0;
    Bytes bytes;  // kept only for a backup
  };

  // Planning pass. Compares the target with want, null when there is nothing to install,
  // reading it only when it has want's size or keep is set (a file this plan writes earlier is
  // not read, and counts as different). The bytes stay here for the installing pass when keep
  // is set and they differ.
  Target Look(FileSystem& fs, const std::string& path, const Bytes* want, bool keep);
  // Each folder of path that neither exists nor is planned yet.
  void Folders(FileSystem& fs, const std::string& path);
  // A write of size bytes to path, which is new or replaces the file there.
  void Write(FileSystem& fs, const std::string& path, std::uint64_t size);

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
  std::vector<Step> steps_;
  std::map<std::string, Target> looked_;          // by lower-case path
  std::map<std::string, std::uint64_t> planned_;  // sizes of the files the plan writes
  std::set<std::string> folders_;                 // there already, or planned
};

}  // namespace setup
