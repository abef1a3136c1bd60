// TMain: the main window with every installation choice, Setup and Cancel.
#pragma once

#include "install/Sequences.h"
#include "windows/Window.h"

namespace setup::win {

extern const WindowDef kMainDef;

class TMain : public Window {
 public:
  TMain(App& app, Sequences& sequences);

 protected:
  void OnCreate() override;
  void OnCommand(int id, unsigned code) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  Sequences& sequences_;
};

}  // namespace setup::win
