// The five windows and the sequences over them: this answers the sequences' questions with the
// windows, and knows which window holds which control.
#pragma once

#include "install/Sequences.h"
#include "windows/LoadingWin.h"
#include "windows/MainWin.h"
#include "windows/SelDrvWin.h"
#include "windows/SelMLWin.h"
#include "windows/SetuppedWin.h"

namespace setup::win {

class SetupWindows : public Questions {
 public:
  SetupWindows(App& app, const Services& services);

  // Creates the windows, each once, in the program's order: the main window first.
  void Create();
  HWND MainWindow() const { return main_.Handle(); }

  void SetMainCaption(const std::string& caption) override;
  std::optional<LanguageAnswer> AskLanguage() override;
  DriveAnswer AskDrive(const DriveList& drives) override;
  bool AskCompletion() override;
  bool AskContinueAnyway(const std::string& warning) override;
  void ShowChoices(const Choices& choices) override;
  Choices ReadChoices() override;
  std::string Caption(Ctl ctl) override;
  void SetCaption(Ctl ctl, const std::string& caption) override;
  void SetDialogTitle(Dialog dialog, const std::string& title) override;
  void EnableSetup(bool enabled) override;
  LoadProgress& ShowLoading() override;
  void HideLoading() override;

 private:
  Window& Owner(Ctl ctl);
  Sequences sequences_;
  TMain main_;
  TSelDrv selDrv_;
  TLoading loading_;
  TSelML selML_;
  TSetupped setupped_;
};

}  // namespace setup::win
