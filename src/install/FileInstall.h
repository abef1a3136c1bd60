// Installing archive entries onto the target drive, with .bak copies of existing files.
#pragma once

#include <set>
#include <string>

#include "archive/resfile.h"
#include "install/Choices.h"
#include "install/SetupLog.h"

namespace setup {

// What the installing steps work with during one setup.
struct InstallContext {
  FileSystem& fs;
  const ResFile& catalogue;
  Ui& ui;
  const Choices& choices;
  SetupLog& log;
  std::string targetRoot;  // such as "E:\"
  // Targets this run of the program has installed (lower case). Their .bak already holds the
  // user's bytes, so a setup started again after a failure must not back them up once more.
  std::set<std::string>* installedThisRun = nullptr;
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
void CreateTargetFolders(FileSystem& fs, const std::string& folder, const std::string& file);

// Installs entry prefix + name as folder + name, backing up an existing file first when
// sysExistBackupChk is ticked and this run has not installed that file already.
void CopyResFile(InstallContext& ctx, const std::string& prefix, const std::string& folder,
                 const std::string& name);
// Installs every entry below prefix into folder, each under its file name.
void CopyResFolder(InstallContext& ctx, const std::string& prefix, const std::string& folder);
// Installs the ticked configuration files below targetRoot + "Skylarch\".
void CopyConfFiles(InstallContext& ctx);

}  // namespace setup
