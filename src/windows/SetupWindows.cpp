#include "windows/SetupWindows.h"

namespace setup::win {

SetupWindows::SetupWindows(App& app, const Services& services)
    : sequences_(services, *this),
      main_(app, sequences_),
      selDrv_(app, sequences_),
      loading_(app),
      selML_(app),
      setupped_(app) {}

void SetupWindows::Create() {
  main_.Create(nullptr);
  selDrv_.Create(main_.Handle());
  loading_.Create(main_.Handle());
  selML_.Create(main_.Handle());
  setupped_.Create(main_.Handle());
}

// Every control the core names is in one of these; Item() reports one that is not.
Window& SetupWindows::Owner(Ctl ctl) {
  if (selDrv_.Has(Id(ctl))) return selDrv_;
  if (setupped_.Has(Id(ctl))) return setupped_;
  return main_;
}

void SetupWindows::SetMainCaption(const std::string& caption) {
  main_.SetTitle(caption);
}

std::optional<LanguageAnswer> SetupWindows::AskLanguage() {
  return selML_.Ask();
}

DriveAnswer SetupWindows::AskDrive(const DriveList& drives) {
  // The drive dialog may leave the main window elsewhere; it goes back where it was.
  RECT before{};
  GetWindowRect(main_.Handle(), &before);
  const DriveAnswer answer = selDrv_.Ask(drives);
  if (answer.ok && answer.extractPath.empty()) {
    SetWindowPos(main_.Handle(), nullptr, before.left, before.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return answer;
}

bool SetupWindows::AskCompletion() {
  setupped_.RunModal();
  return setupped_.Checked(Id(Check::OpenGlobalINIChk));
}

bool SetupWindows::AskContinueAnyway(const std::string& warning) {
  return main_.app().AskYesNo(warning);
}

void SetupWindows::ShowChoices(const Choices& choices) {
  for (const ChoiceDef& c : kChoices) Owner(ControlOf(c.id)).SetChecked(Id(c.id), choices[c.id]);
}

Choices SetupWindows::ReadChoices() {
  Choices choices;
  for (const ChoiceDef& c : kChoices) choices.Set(c.id, Owner(ControlOf(c.id)).Checked(Id(c.id)));
  return choices;
}

std::string SetupWindows::Caption(Ctl ctl) {
  return Owner(ctl).Text(Id(ctl));
}

void SetupWindows::SetCaption(Ctl ctl, const std::string& caption) {
  Owner(ctl).SetText(Id(ctl), caption);
}

void SetupWindows::SetDialogTitle(Dialog dialog, const std::string& title) {
  (dialog == Dialog::SelDrv ? static_cast<Window&>(selDrv_) : setupped_).SetTitle(title);
}

void SetupWindows::EnableSetup(bool enabled) {
  main_.Enable(Id(Ctl::SetupBtn), enabled);
  if (enabled) SetFocus(main_.Item(Id(Ctl::SetupBtn)));
}

LoadProgress& SetupWindows::ShowLoading() {
  // The load dispatches no messages: what is not painted now stays stale until it is over.
  UpdateWindow(main_.Handle());
  loading_.CenterOn(main_.Handle());
  ShowWindow(loading_.Handle(), SW_SHOWNOACTIVATE);
  RedrawWindow(loading_.Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  return loading_;
}

void SetupWindows::HideLoading() {
  ShowWindow(loading_.Handle(), SW_HIDE);
}

}  // namespace setup::win
