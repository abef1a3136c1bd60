// TSetupped: the completion dialog, with the choice to open global.ini afterwards.
#pragma once

#include "platform/win32/Window.h"

namespace setup::win {

class TSetupped : public Window {
 public:
  explicit TSetupped(App& app);
  bool OpenGlobalINI() const;
  void SetOpenGlobalINI(bool checked);
};

}  // namespace setup::win
