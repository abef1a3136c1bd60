// Installing archive entries onto the target drive, with .bak copies of existing files.
#pragma once

#include <string>

#include "archive/resfile.h"
#include "install/Choices.h"
#include "install/SetupLog.h"
#include "install/WritePlan.h"

namespace setup {

// What the installing steps work with during one setup.
struct InstallContext {
  FileSystem& fs;
  const ResFile& catalogue;
  Ui& ui;
  const Choices& choices;
  SetupLog& log;
  std::string targetRoot;  // such as "E:\"
  // A setup runs the steps twice over one plan: first planning (the steps read the targets and
  // record their writes there, and log, report and write nothing), then installing (the steps
  // take what the targets hold from the plan instead of reading them again). Without a plan
  // the steps read the targets themselves.
  WritePlan* plan = nullptr;
  bool planning = false;
  bool Planning() const { return planning && plan; }
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
// Creates folder with every missing parent, or records that while planning; not looked at.
void MakeFolders(InstallContext& ctx, const std::string& folder);
// The bytes of an archive entry, null when it is missing. With report, a missing entry is told
// as GetResData tells it (except while planning).
const Bytes* EntryBytes(InstallContext& ctx, const std::string& name, bool report);
// What path holds compared with want (null: nothing to install); its bytes are kept for a
// backup when keep is set. Read once per setup.
WritePlan::Target LookAtTarget(InstallContext& ctx, const std::string& path, const Bytes* want,
                               bool keep);
// Replaces path's content with data, or records that write while planning.
void WriteTarget(InstallContext& ctx, const std::string& path, ByteView data);
// A log line, except while planning.
void Announce(InstallContext& ctx, const std::string& line);

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
