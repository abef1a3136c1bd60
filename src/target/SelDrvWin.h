// TSelDrv: the target drive dialog, with the developer option that picks an extraction folder.
#pragma once

#include <string>
#include <vector>

#include "install/Views.h"
#include "platform/Platform.h"
#include "platform/win32/Window.h"

namespace setup::win {

class TSelDrv : public Window, public DriveListView {
 public:
  TSelDrv(App& app, Volumes& volumes);

  // The folder chosen with the developer option, with its trailing separator; "" when unused.
  std::string ExtractPath;

  static void ToolChkClick(Window& window, unsigned code);
  static void ExtractBtnClick(Window& window, unsigned code);

  // DriveListView over TargetDriveLst
  std::vector<std::string> Lines() const override;
  int SelectedIndex() const override;
  void SetSelectedIndex(int index) override;

 protected:
  void OnCreate() override;

 private:
  void ToolChkClick();
  void ExtractBtnClick();
  Volumes& volumes_;
};

}  // namespace setup::win
