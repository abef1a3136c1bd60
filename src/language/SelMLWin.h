// TSelML: the language dialog, shown when no language is stored. Its texts carry both languages.
#pragma once

#include "install/Sequences.h"
#include "platform/win32/Window.h"

namespace setup::win {

class TSelML : public Window {
 public:
  TSelML(App& app, Sequences& sequences);

  static void BitBtn1Click(Window& window, unsigned code);
  static void Label3Click(Window& window, unsigned code);

 private:
  Sequences& sequences_;
};

}  // namespace setup::win
