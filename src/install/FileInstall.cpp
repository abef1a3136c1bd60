#include "install/FileInstall.h"

#include <algorithm>
#include <iterator>
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

void CreateTargetFolders(FileSystem& fs, const std::string& folder, const std::string& file) {
  RefuseNoFolder(folder, file);
  fs.CreateFolders(folder);
}

void CopyResFile(InstallContext& ctx, const std::string& prefix, const std::string& folder,
                 const std::string& name) {
  const std::string target = folder + name;
  RefuseNoFolder(folder, target);

  const std::string key = LowerAscii(target);
  const bool ours = ctx.installedThisRun && ctx.installedThisRun->count(key) > 0;
  if (ctx.choices[Check::sysExistBackupChk] && !ours && ctx.fs.FileExists(target)) {
    const std::string backup = target + ".bak";
    ctx.log.WriteLog("Create backup to " + Quoted(backup));
    const Bytes old = ctx.fs.ReadWholeFile(target);
    ctx.fs.WriteWholeFile(backup, old);
  }

  ctx.log.WriteLog("copy " + Quoted(prefix + name) + " to " + Quoted(target));
  // The entry is taken before the target is touched, so a missing entry leaves an existing file
  // as it was; the end of the program has been requested by then.
  Tresdata entry;
  if (!ctx.catalogue.GetResData(prefix + name, entry, ctx.ui)) return;
  ctx.fs.CreateFolders(folder);  // a folder that cannot be made fails the write below
  ctx.fs.WriteWholeFile(target, entry.data);
  if (ctx.installedThisRun) ctx.installedThisRun->insert(key);
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
