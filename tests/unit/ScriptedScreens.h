// The five windows as the sequences see them, scripted: every call is recorded as one event
// list, and the dialogs answer with scripts the test sets.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "install/Sequences.h"

namespace setup::test {

using fake::FakeCaption;
using fake::FakeChecks;
using fake::FakeDriveList;

class FakeControl : public CaptionControl {
 public:
  std::string caption;
  std::string GetCaption() const override { return caption; }
  void SetCaption(const std::string& c) override { caption = c; }
};

class FakeScreens : public Screens, public LoadProgress {
 public:
  FakeScreens() {
    for (int i = 0; i <= static_cast<int>(Ctl::OpenGlobalINIChk); ++i) {
      const std::string name(CtlName(static_cast<Ctl>(i)));
      controls[static_cast<Ctl>(i)].caption = name + "|" + name + "-ja";
    }
    drives.lines = {"C:\\ Fixed-HDD []", "E:\\ Removable [CARD]"};
    drives.selected = 0;
  }

  std::vector<std::string> events;
  std::map<Ctl, FakeControl> controls;
  std::function<bool()> onLanguage = [] { return false; };
  std::function<bool()> onDrive = [] { return true; };
  std::function<void()> onCompletion = [] {};
  std::string mainCaption, targetDriveLabel = "TargetDriveLbl", extractPath;
  std::map<Dialog, std::string> titles;
  Point position{100, 50};
  bool setupEnabled = true, timerEnabled = false;
  FakeDriveList drives;
  FakeChecks checks;
  FakeCaption caption;

  void SetMainCaption(const std::string& c) override { mainCaption = c; }
  void EnableStartupTimer(bool on) override {
    timerEnabled = on;
    events.push_back(on ? "timer on" : "timer off");
  }
  bool RunLanguageDialog() override {
    events.push_back("language dialog");
    return onLanguage();
  }
  bool RunDriveDialog() override {
    events.push_back("drive dialog " + titles[Dialog::SelDrv] + " " +
                     controls[Ctl::SelDrvLabel1].caption);
    return onDrive();
  }
  void RunCompletionDialog() override {
    events.push_back("completion dialog " + titles[Dialog::Setupped] + " " +
                     controls[Ctl::Msg1Lbl].caption);
    onCompletion();
  }
  void ShowLoading() override { events.push_back("show loading " + controls[Ctl::Label2].caption); }
  void HideLoading() override { events.push_back("hide loading"); }
  LoadProgress& Progress() override { return *this; }
  void SetMax(std::int32_t max) override { events.push_back("max " + std::to_string(max)); }
  void SetPosition(std::int32_t p) override { events.push_back("at " + std::to_string(p)); }
  Point MainPosition() override { return position; }
  void MoveMain(Point to) override {
    position = to;
    events.push_back("move " + std::to_string(to.left) + "," + std::to_string(to.top));
  }
  CaptionControl& Control(Ctl ctl) override {
    events.push_back("localise " + std::string(CtlName(ctl)));
    return controls[ctl];
  }
  void SetDialogTitle(Dialog dialog, const std::string& title) override { titles[dialog] = title; }
  void SetTargetDriveLabel(const std::string& c) override { targetDriveLabel = c; }
  void EnableSetup(bool on) override { setupEnabled = on; }
  std::string ExtractPath() override { return extractPath; }
  DriveListView& DriveList() override { return drives; }
  CheckBoxes& Checks() override { return checks; }
  MainCaption& Caption() override { return caption; }

  // The events that name one kind, in order.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& e : events) {
      if (e.rfind(prefix, 0) == 0) out.push_back(e.substr(prefix.size()));
    }
    return out;
  }
};

}  // namespace setup::test
