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
  MakeFolders(ctx, ctx.targetRoot + "Skylarch\\banner\\");
}

std::optional<Shortfall> PlanInstallation(InstallContext& ctx,
                                          const std::optional<VolumeSpace>& space) {
  struct Planning {
    explicit Planning(InstallContext& c) : ctx(c) { ctx.planning = true; }
    ~Planning() { ctx.planning = false; }
    InstallContext& ctx;
  } planning(ctx);
  InstallSteps(ctx);
  if (!space || space->totalBytes == 0) return std::nullopt;
  const std::uint64_t need = ctx.plan->Peak(space->clusterSize);
  if (need <= space->freeBytes) return std::nullopt;
  return Shortfall{need, space->freeBytes};
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
