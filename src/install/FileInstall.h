// Installing archive entries onto the target drive, with .bak copies of existing files.
#pragma once

#include <string>

#include "archive/resfile.h"
#include "install/Choices.h"
#include "install/WritePlan.h"

namespace setup {

// What the install steps work with during one setup. The card, the log and the user are
// reached only through the sink, so a step cannot tell the planning pass from the installing
// one, nor write while it plans.
struct InstallContext {
  InstallSink& sink;
  const ResFile& catalogue;
  const Choices& choices;
  const std::string& targetRoot;  // such as "E:\"
};

// The configuration files each choice installs below Skylarch\, in this order: single files,
// or every entry of one archive folder.
struct ConfGroup {
  Check choice;
  bool folder;
  const char* files[2];
};
inline constexpr ConfGroup kConfGroups[] = {
    {Check::confGlobalINIChk, false, {"global.ini", nullptr}},
    {Check::confFontChk, false, {"font12.glu", "font12.glf"}},
    {Check::confSaveNameTxtChk, false, {"savename.txt", nullptr}},
    {Check::confSkinChk, true, {"skin", nullptr}},
    {Check::confSEChk, true, {"se", nullptr}},
};

// Creates folder with every missing parent before file is written into it; the outcome is not
// tested, a folder that cannot be made shows up when the file is written. An empty folder is an
// Error naming file, since the file would otherwise land in the current folder.
void CreateTargetFolders(InstallContext& ctx, const std::string& folder, const std::string& file);
// The bytes of an archive entry, null when it is missing. With report, a missing entry is told
// as GetResData tells it.
const Bytes* EntryBytes(InstallContext& ctx, const std::string& name, bool report);

// Installs entry prefix + name as folder + name. A file that holds exactly the entry's bytes
// is left alone; any other existing file is copied to its .bak first when sysExistBackupChk is
// ticked.
void CopyResFile(InstallContext& ctx, const std::string& prefix, const std::string& folder,
                 const std::string& name);
// Installs every entry below prefix into folder, each under its file name.
void CopyResFolder(InstallContext& ctx, const std::string& prefix, const std::string& folder);
// Installs the ticked configuration files below targetRoot + "Skylarch\".
void CopyConfFiles(InstallContext& ctx);

}  // namespace setup
