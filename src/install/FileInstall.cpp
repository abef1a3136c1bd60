#include "install/FileInstall.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/Paths.h"

namespace setup {

namespace {

const char kConfPrefix[] = "Skylarch\\";

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// Real folder creation refuses an empty path; without that check a file would be written
// relative to the current folder.
void RefuseNoFolder(const std::string& folder, const std::string& file) {
  if (folder.empty()) throw CreateError(file, "No target folder was chosen.");
}

}  // namespace

void CreateTargetFolders(InstallContext& ctx, const std::string& folder, const std::string& file) {
  RefuseNoFolder(folder, file);
  ctx.sink.Folders(folder);
}

const Bytes* EntryBytes(InstallContext& ctx, const std::string& name, bool report) {
  const std::int32_t index = ctx.catalogue.FindResFile(name);
  if (index >= 0) return &ctx.catalogue.ResFiles[static_cast<std::size_t>(index)].data;
  if (report) ctx.sink.Tell(NoFileFound(name), true);
  return nullptr;
}

void CopyResFile(InstallContext& ctx, const std::string& prefix, const std::string& folder,
                 const std::string& name) {
  const std::string target = folder + name;
  RefuseNoFolder(folder, target);
  const Bytes* entry = EntryBytes(ctx, prefix + name, false);
  const bool backups = ctx.choices[Check::sysExistBackupChk];
  // A target that already holds the entry's bytes gets no backup: its .bak keeps the user's
  // own bytes from before, whether this setup is a retry, a new start or a repeat.
  const WritePlan::Target now = ctx.sink.Look(target, entry, backups);
  if (backups && now.exists && !now.same) {
    const std::string backup = target + ".bak";
    ctx.sink.Log("Create backup to " + Quoted(backup));
    ctx.sink.BackUp(backup, now);
  }

  ctx.sink.Log("copy " + Quoted(prefix + name) + " to " + Quoted(target));
  if (now.same) return;
  // A missing entry leaves an existing file as it was; the end of the program has been
  // requested by then.
  if (!entry) return ctx.sink.Tell(NoFileFound(prefix + name), true);
  ctx.sink.Folders(folder);  // a folder that cannot be made fails the write below
  ctx.sink.Write(target, *entry);
}

void CopyResFolder(InstallContext& ctx, const std::string& prefix, const std::string& folder) {
  std::vector<std::string> names;
  ctx.catalogue.ListResFiles(prefix, "", names);
  for (const auto& name : names) {
    // An entry in a deeper sub-folder keeps that sub-folder below the target folder.
    const std::string rest = name.substr(prefix.size());
    const std::string sub = ExtractFilePath(rest);
    CopyResFile(ctx, prefix + sub, folder + sub, ExtractFileName(rest));
  }
}

void CopyConfFiles(InstallContext& ctx) {
  const std::string prefix = kConfPrefix;
  const std::string folder = ctx.targetRoot + kConfPrefix;
  const bool any = std::any_of(std::begin(kConfGroups), std::end(kConfGroups),
                               [&](const ConfGroup& g) { return ctx.choices[g.choice]; });
  if (any) RefuseNoFolder(ctx.targetRoot, folder);
  for (const ConfGroup& group : kConfGroups) {
    if (!ctx.choices[group.choice]) continue;
    if (group.folder) {
      CopyResFolder(ctx, prefix + group.files[0] + "\\", folder + group.files[0] + "\\");
      continue;
    }
    for (const char* file : group.files) {
      if (file) CopyResFile(ctx, prefix, folder, file);
    }
  }
}

}  // namespace setup
