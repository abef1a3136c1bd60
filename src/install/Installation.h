// The install steps of a setup, planned and checked against the room on the card before the
// first of them writes anything.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "install/FileInstall.h"
#include "install/SetupLog.h"

namespace setup {

// Steps 5 to 8 of a setup: the ticked configuration files, the ticked ROM images, the
// icon-maker tool and the banner folder.
void InstallSteps(InstallContext& ctx);

struct Shortfall {
  std::uint64_t need = 0;  // the peak room the writes take, in whole clusters
  std::uint64_t free = 0;
};

// Steps 5 to 8 planned before the first of them writes: run once into a plan (the targets are
// read; nothing is logged, told or written), then, when the card has room, run again to install.
// The shortfall, with nothing written, when the peak does not fit into the free space. The
// steps install when the space is unknown (its query failed) or the volume reports a total
// size of 0 (FUSE's FAT driver under Wine reports no sizes at all).
std::optional<Shortfall> InstallPlanned(FileSystem& fs, SetupLog& log, Ui& ui,
                                        const ResFile& catalogue, const Choices& choices,
                                        const std::string& targetRoot,
                                        const std::optional<VolumeSpace>& space);

// The error of a card too small, in English or Japanese: the drive, the room needed rounded up
// and the room free rounded down to a tenth of a MB (MiB, as Windows counts), so that the
// figures never look as if they fit.
std::string NoRoomText(const std::string& root, const Shortfall& shortfall, bool japanese);

}  // namespace setup
