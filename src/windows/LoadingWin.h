// TLoading: the small tool window whose progress bar follows the archive load.
#pragma once

#include "archive/resfile.h"
#include "windows/Window.h"

namespace setup::win {

extern const WindowDef kLoadingDef;

class TLoading : public Window, public LoadProgress {
 public:
  explicit TLoading(App& app);
  void SetMax(std::int32_t max) override;
  void SetPosition(std::int32_t position) override;
};

}  // namespace setup::win
