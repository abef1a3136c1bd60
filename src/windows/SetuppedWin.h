// TSetupped: the completion dialog, with the choice to open global.ini afterwards.
#pragma once

#include "windows/Window.h"

namespace setup::win {

extern const WindowDef kSetuppedDef;

class TSetupped : public Window {
 public:
  explicit TSetupped(App& app);
};

}  // namespace setup::win
