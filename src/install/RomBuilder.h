// One ROM image per ticked cartridge type, written to the target root.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "install/FileInstall.h"

namespace setup {

struct RomRow {
  Check check;
  std::string_view cartridge;  // as the check box's caption names it
  std::string_view adapterId;
  std::string_view outputName;
  std::string_view bootstrap;  // empty: no bootstrap
};

extern const std::array<RomRow, 11> kRomRows;

void CreateROMImages(InstallContext& ctx);
void CreateROMImage(InstallContext& ctx, const RomRow& row);
// Writes the first four characters of adapterId after the first "Adapter:" in the first size
// bytes of image; tells the user when there is none.
void PatchAdapterID(std::uint8_t* image, std::int32_t size, const std::string& adapterId, Ui& ui);

}  // namespace setup
