#include "Expectation.h"

#include <algorithm>
#include <cstring>

#include "platform/Paths.h"

namespace setup::test {

namespace {

const char kSuperCard[] = "BootStrap_SuperCard.bin";
const char kM3[] = "BootStrap_M3_quillmar-m3powerloader-20060117.bin";

// The cartridge rows in the order they are built: the card's layout, stated here on its own.
struct Rom {
  Check box;
  const char* file;
  const char* id;
  const char* bootstrap;  // "" for none
};
const Rom kRoms[] = {
    {Check::romMPCFChk, "_BOOT_MP.nds", "MPCF", ""},
    {Check::romSCCFChk, "Skylarch_SCCF_SuperCard_CF.nds", "SCCF", kSuperCard},
    {Check::romSCSDChk, "Skylarch_SCSD_SuperCard_SD.nds", "SCSD", kSuperCard},
    {Check::romSCMSChk, "Skylarch_SCMS_SuperCard_MicroSD.nds", "SCMS", kSuperCard},
    {Check::romM3CFChk, "Skylarch_M3CF_M3_CF.nds", "M3CF", kM3},
    {Check::romM3SDChk, "Skylarch_M3SD_M3_SD.nds", "M3SD", kM3},
    {Check::romMMCFChk, "Skylarch_MMCF_MaxMedia_CF.nds", "MMCF", ""},
    {Check::romEZSDChk, "Skylarch_EZSD_EZ-Flash4_SD.nds.bin", "EZSD", ""},
    {Check::romEWSDChk, "Skylarch_EWSD_Ewin2_MicroSD.nds", "EWSD", ""},
    {Check::romNMMCChk, "Skylarch_NMMC_MagicKey2-3_SD.nds", "NMMC", ""},
    {Check::romNJSDChk, "Skylarch_NJSD_NinjaDS_SD.nds", "NJSD", ""},
};

// The settings file's keys, in the order they are written.
struct Key {
  const char* section;
  const char* key;
  Check box;
};
const Key kKeys[] = {
    {"system", "ExistBackup", Check::sysExistBackupChk},
    {"system", "OpenGlobalINI", Check::OpenGlobalINIChk},
    {"configuration", "global.ini", Check::confGlobalINIChk},
    {"configuration", "font", Check::confFontChk},
    {"configuration", "savename.txt", Check::confSaveNameTxtChk},
    {"configuration", "Skin", Check::confSkinChk},
    {"configuration", "SE", Check::confSEChk},
    {"rom", "MPCF", Check::romMPCFChk},
    {"rom", "SCCF", Check::romSCCFChk},
    {"rom", "SCSD", Check::romSCSDChk},
    {"rom", "SCMS", Check::romSCMSChk},
    {"rom", "M3CF", Check::romM3CFChk},
    {"rom", "M3SD", Check::romM3SDChk},
    {"rom", "MMCF", Check::romMMCFChk},
    {"rom", "EZSD", Check::romEZSDChk},
    {"rom", "EWSD", Check::romEWSDChk},
    {"rom", "NMMC", Check::romNMMCChk},
};

const Bytes& Entry(const ResFile& catalogue, const std::string& name) {
  const std::int32_t i = catalogue.FindResFile(name);
  if (i < 0) throw Error("the archive has no " + name);
  return catalogue.ResFiles[static_cast<std::size_t>(i)].data;
}

// The configuration files the ticks install, in order, as archive names.
std::vector<std::string> ConfEntries(const ResFile& catalogue, const Choices& choices) {
  std::vector<std::string> out;
  const auto folder = [&](const std::string& prefix) {
    for (const TFile& f : catalogue.ResFiles) {
      if (LowerAscii(f.name).starts_with(LowerAscii(prefix))) out.push_back(f.name);
    }
  };
  if (choices[Check::confGlobalINIChk]) out.push_back("Skylarch\\global.ini");
  if (choices[Check::confFontChk]) {
    out.push_back("Skylarch\\font12.glu");
    out.push_back("Skylarch\\font12.glf");
  }
  if (choices[Check::confSaveNameTxtChk]) out.push_back("Skylarch\\savename.txt");
  if (choices[Check::confSkinChk]) folder("Skylarch\\skin\\");
  if (choices[Check::confSEChk]) folder("Skylarch\\se\\");
  return out;
}

const Bytes* Find(const Tree& tree, const std::string& path) {
  for (const auto& [name, bytes] : tree) {
    if (LowerAscii(name) == LowerAscii(path)) return &bytes;
  }
  return nullptr;
}

void Put(Tree& tree, const std::string& path, const Bytes& bytes) {
  for (auto& [name, old] : tree) {
    if (LowerAscii(name) == LowerAscii(path)) {
      old = bytes;
      return;
    }
  }
  tree[path] = bytes;
}

}  // namespace

Bytes ExpectedRom(const ResFile& catalogue, const std::string& bootstrap, const std::string& id) {
  Bytes image;
  if (!bootstrap.empty()) image = Entry(catalogue, bootstrap);
  Bytes program = Entry(catalogue, "_BOOT_MP.nds");
  const char marker[] = "Adapter:";
  const auto at = std::search(program.begin(), program.end(), marker, marker + 8);
  if (at != program.end() && program.end() - at >= 12) std::memcpy(&*(at + 8), id.data(), 4);
  image.insert(image.end(), program.begin(), program.end());
  return image;
}

SetupOutcome ExpectSetup(const ResFile& catalogue, const SetupCase& c) {
  SetupOutcome out;
  out.card = c.before;
  out.log = {"StartPath=" + c.startPath, "TargetPath=" + c.root, "TargetInfo=" + c.driveLine};
  if (c.refused) return out;

  // One file of the copy steps; false when the attempt ends there. A file that holds the
  // entry's bytes already is neither backed up nor written.
  const auto copy = [&](const std::string& entry, const std::string& path) {
    const Bytes* old = Find(out.card, path);
    const bool same = old && *old == Entry(catalogue, entry);
    if (c.choices[Check::sysExistBackupChk] && old && !same) {
      out.log.push_back("Create backup to \"" + c.root + path + ".bak\"");
      Put(out.card, path + ".bak", *old);
    }
    out.log.push_back("copy \"" + entry + "\" to \"" + c.root + path + "\"");
    if (LowerAscii(path) == LowerAscii(c.failsAt)) return false;
    Put(out.card, path, Entry(catalogue, entry));
    return true;
  };
  for (const auto& entry : ConfEntries(catalogue, c.choices)) {
    if (!copy(entry, entry)) return out;
  }
  for (const Rom& rom : kRoms) {
    if (!c.choices[rom.box]) continue;
    std::string line = "Create ROM image and copy to \"" + c.root + rom.file + "\"";
    if (rom.box == Check::romMPCFChk) line += " for GBAMP/AdMovie";
    out.log.push_back(line);
    // A full card can stop the attempt at an image as well.
    if (LowerAscii(rom.file) == LowerAscii(c.failsAt)) return out;
    Put(out.card, rom.file, ExpectedRom(catalogue, rom.bootstrap, rom.id));
  }
  if (!copy("SkylarchMakeIcon.exe", "SkylarchMakeIcon.exe")) return out;

  auto& system = out.settings["system"];
  system["TargetDrive"] = c.root;
  if (c.storedLanguage) system["isJP"] = std::to_string(*c.storedLanguage);
  for (const Key& k : kKeys)
    out.settings[k.section][k.key] = std::string(1, c.choices[k.box] ? '1' : '0');
  return out;
}

}  // namespace setup::test
