#include "install/Installation.h"

#include "install/RomBuilder.h"

namespace setup {

namespace {

constexpr std::uint64_t kMB = 1u << 20;

std::string Tenths(std::uint64_t tenths) {
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace

void InstallSteps(InstallContext& ctx) {
  CopyConfFiles(ctx);
  CreateROMImages(ctx);
  CopyResFile(ctx, "", ctx.targetRoot, "SkylarchMakeIcon.exe");
  ctx.sink.Folders(ctx.targetRoot + "Skylarch\\banner\\");
}

std::optional<Shortfall> InstallPlanned(FileSystem& fs, SetupLog& log, Ui& ui,
                                        const ResFile& catalogue, const Choices& choices,
                                        const std::string& targetRoot,
                                        const std::optional<VolumeSpace>& space) {
  WritePlan plan(fs);
  PlanningSink planning(plan);
  InstallContext planned{planning, catalogue, choices, targetRoot};
  InstallSteps(planned);
  if (space && space->totalBytes != 0) {
    const std::uint64_t need = plan.Peak(space->clusterSize);
    if (need > space->freeBytes) return Shortfall{need, space->freeBytes};
  }
  InstallingSink installing(fs, log, ui, &plan);
  InstallContext ctx{installing, catalogue, choices, targetRoot};
  InstallSteps(ctx);
  return std::nullopt;
}

std::string NoRoomText(const std::string& root, const Shortfall& shortfall, bool japanese) {
  const std::string need = Tenths((shortfall.need * 10 + kMB - 1) / kMB);
  const std::string free = Tenths(shortfall.free * 10 / kMB);
  if (japanese) {
    return root + " の空き容量が足りません。セットアップには " + need + " MB 必要ですが、空きは " +
           free + " MB です。";
  }
  return "There is not enough free space on " + root + ". The setup needs " + need +
         " MB; the drive has " + free + " MB free.";
}

}  // namespace setup
