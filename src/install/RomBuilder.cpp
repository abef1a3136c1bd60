#include "install/RomBuilder.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace setup {

namespace {
const char kProgramImage[] = "_BOOT_MP.nds";
const char kSuperCardBoot[] = "BootStrap_SuperCard.bin";
const char kM3Boot[] = "BootStrap_M3_quillmar-m3powerloader-20060117.bin";
const char kMarker[] = "Adapter:";
constexpr std::int32_t kMarkerSize = 8;
constexpr std::int32_t kIdSize = 4;

// Writes the ID after the first marker; false when there is none.
bool Patch(std::uint8_t* image, std::int32_t size, std::string_view adapterId) {
  // Every start at which marker and ID fit, up to size - 12, so a marker near the end is found;
  // memchr skips to the next candidate.
  const std::int32_t last = size - kMarkerSize - kIdSize;
  for (std::int32_t i = 0; i <= last; ++i) {
    const void* hit = std::memchr(image + i, kMarker[0], static_cast<std::size_t>(last - i) + 1);
    if (!hit) break;
    i = static_cast<std::int32_t>(static_cast<const std::uint8_t*>(hit) - image);
    if (std::memcmp(image + i, kMarker, kMarkerSize) != 0) continue;
    const auto n = std::min<std::size_t>(kIdSize, adapterId.size());
    std::memcpy(image + i + kMarkerSize, adapterId.data(), n);
    return true;
  }
  return false;
}

std::string NoMarker(std::string_view adapterId) {
  std::string text = "アダプタIDが見つかりませんでした。(";
  text.append(adapterId) += ")";
  return text;
}

}  // namespace

const std::array<RomRow, 11> kRomRows = {{
    {Check::romMPCFChk, "GBAMP/AdMovie", "MPCF", "_BOOT_MP.nds", ""},
    {Check::romSCCFChk, "SuperCard/CF", "SCCF", "Skylarch_SCCF_SuperCard_CF.nds", kSuperCardBoot},
    {Check::romSCSDChk, "SuperCard/SD", "SCSD", "Skylarch_SCSD_SuperCard_SD.nds", kSuperCardBoot},
    {Check::romSCMSChk, "SuperCard/MicroSD", "SCMS", "Skylarch_SCMS_SuperCard_MicroSD.nds",
     kSuperCardBoot},
    {Check::romM3CFChk, "M3/CF series", "M3CF", "Skylarch_M3CF_M3_CF.nds", kM3Boot},
    {Check::romM3SDChk, "M3/SD series", "M3SD", "Skylarch_M3SD_M3_SD.nds", kM3Boot},
    {Check::romMMCFChk, "Max Media/CF", "MMCF", "Skylarch_MMCF_MaxMedia_CF.nds", ""},
    {Check::romEZSDChk, "EZ-Flash 4/MicroSD", "EZSD", "Skylarch_EZSD_EZ-Flash4_SD.nds.bin", ""},
    {Check::romEWSDChk, "Ewin2/MicroSD", "EWSD", "Skylarch_EWSD_Ewin2_MicroSD.nds", ""},
    {Check::romNMMCChk, "MagicKey2-3/SD", "NMMC", "Skylarch_NMMC_MagicKey2-3_SD.nds", ""},
    {Check::romNJSDChk, "NinjaDS/SD", "NJSD", "Skylarch_NJSD_NinjaDS_SD.nds", ""},
}};

void CreateROMImages(InstallContext& ctx) {
  for (const auto& row : kRomRows) {
    if (ctx.choices[row.check]) CreateROMImage(ctx, row);
  }
}

void CreateROMImage(InstallContext& ctx, const RomRow& row) {
  const std::string path = ctx.targetRoot + std::string(row.outputName);
  std::string line = "Create ROM image and copy to \"" + path + "\"";
  // Only the first row's image keeps the program image's own name; its line says what it is for.
  if (&row == &kRomRows[0]) line += " for " + std::string(row.cartridge);
  ctx.sink.Log(line);
  CreateTargetFolders(ctx, ctx.targetRoot, path);

  // The image is put together in memory and written in one piece: a missing entry leaves no
  // half-built file behind, and no file stays open when an error leaves this function.
  Bytes image;
  if (!row.bootstrap.empty()) {
    const Bytes* boot = EntryBytes(ctx, std::string(row.bootstrap), true);
    if (!boot) return;
    image = *boot;
  }
  const Bytes* program = EntryBytes(ctx, kProgramImage, true);
  if (!program) return;
  const std::size_t at = image.size();
  image.insert(image.end(), program->begin(), program->end());
  const auto size = static_cast<std::int32_t>(program->size());
  if (!Patch(image.data() + at, size, row.adapterId)) ctx.sink.Tell(NoMarker(row.adapterId), false);
  // An image that is there already is not written again.
  if (ctx.sink.Look(path, &image, false).same) return;
  ctx.sink.Write(path, image);
}

void PatchAdapterID(std::uint8_t* image, std::int32_t size, const std::string& adapterId, Ui& ui) {
  if (!Patch(image, size, adapterId)) ui.ShowMessage(NoMarker(adapterId));
}

}  // namespace setup
