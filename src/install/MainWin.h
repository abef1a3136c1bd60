// TMain: the main window with every installation choice, Setup and Cancel. It is also the
// sequences' view of all five windows.
#pragma once

#include "install/Sequences.h"
#include "install/Views.h"
#include "platform/win32/Window.h"

namespace setup::win {

class TSelDrv;
class TLoading;
class TSelML;
class TSetupped;

class TMain : public Window, public Screens, public CheckBoxes, public MainCaption {
 public:
  explicit TMain(App& app);
  void Attach(Sequences& sequences, TSelDrv& selDrv, TLoading& loading, TSelML& selML,
              TSetupped& setupped);

  // Screens
  void SetMainCaption(const std::string& caption) override;
  void EnableStartupTimer(bool enabled) override;
  bool RunLanguageDialog() override;
  bool RunDriveDialog() override;
  void RunCompletionDialog() override;
  void ShowLoading() override;
  void HideLoading() override;
  LoadProgress& Progress() override;
  Point MainPosition() override;
  void MoveMain(Point to) override;
  CaptionControl& Control(Ctl ctl) override;
  void SetDialogTitle(Dialog dialog, const std::string& title) override;
  void SetTargetDriveLabel(const std::string& caption) override;
  void EnableSetup(bool enabled) override;
  std::string ExtractPath() override;
  DriveListView& DriveList() override;
  CheckBoxes& Checks() override { return *this; }
  MainCaption& Caption() override { return *this; }

  static void SetupBtnClick(Window& window, unsigned code);
  static void CancelBtnClick(Window& window, unsigned code);

  // CheckBoxes
  bool IsChecked(Check box) const override;
  void SetChecked(Check box, bool checked) override;

 protected:
  void OnCreate() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  Sequences* sequences_ = nullptr;
  TSelDrv* selDrv_ = nullptr;
  TLoading* loading_ = nullptr;
  TSelML* selML_ = nullptr;
  TSetupped* setupped_ = nullptr;
};

}  // namespace setup::win
