// TMain: the main window with every installation choice, Setup and Cancel.
#pragma once

#include "install/Sequences.h"
#include "windows/Window.h"

namespace setup::win {

extern const WindowDef kMainDef;

class TMain : public Window {
 public:
  TMain(App& app, Sequences& sequences);

  static void SetupBtnClick(Window& window, unsigned code);
  static void CancelBtnClick(Window& window, unsigned code);

 protected:
  void OnCreate() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  Sequences& sequences_;
};

}  // namespace setup::win
