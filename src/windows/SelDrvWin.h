// TSelDrv: the target drive dialog, with the developer option that picks an extraction folder.
#pragma once

#include <string>

#include "install/Sequences.h"
#include "windows/Window.h"

namespace setup::win {

extern const WindowDef kSelDrvDef;

class TSelDrv : public Window {
 public:
  TSelDrv(App& app, Sequences& sequences);

  // Runs the dialog over the drive lines, the given one selected.
  DriveAnswer Ask(const DriveList& drives);

 protected:
  void OnCreate() override;
  void OnCommand(int id, unsigned code) override;

 private:
  void ToolChkClick();
  void ExtractBtnClick();
  Sequences& sequences_;
  // The folder chosen with the developer option, with its trailing separator; "" when unused.
  std::string ExtractPath;
};

}  // namespace setup::win
