// The interface language of the run and the cutting of bilingual captions ("English|日本語").
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace setup {

// A control with a caption: label, group box, check box, button.
class CaptionControl {
 public:
  virtual ~CaptionControl() = default;
  virtual std::string GetCaption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
};

class SplitML {
 public:
  // settingsFile: the settings file beside the executable.
  SplitML(Profile& profile, Ui& ui, std::string settingsFile);

  std::int32_t MLType = 2;
  bool MLTypeSet = false;

  void LoadMLType();
  void SaveMLType();
  void StoreMLType();
  void SetMLType(std::int32_t index);
  bool IsMLTypeSet();
  std::string GetMLStr(const std::string& text);
  void SetMLCaption(CaptionControl& control);

 private:
  void Normalise();
  Profile& profile_;
  Ui& ui_;
  std::string settingsFile_;
};

}  // namespace setup
