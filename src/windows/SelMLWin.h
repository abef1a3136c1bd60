// TSelML: the language dialog, shown when no language is stored. Its texts carry both languages.
#pragma once

#include <optional>

#include "install/Questions.h"
#include "windows/Window.h"

namespace setup::win {

extern const WindowDef kSelMLDef;

class TSelML : public Window {
 public:
  explicit TSelML(App& app);

  // The radio buttons and SaveChk as OK left them; nullopt for Cancel.
  std::optional<LanguageAnswer> Ask();

 protected:
  void OnCommand(int id, unsigned code) override;

 private:
  void Label3Click();
};

}  // namespace setup::win
