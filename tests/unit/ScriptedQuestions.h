// The windows as the sequences see them, scripted: every question and notice is recorded as one
// event list, and the dialogs answer with scripts the test sets.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "install/Questions.h"

namespace setup::test {

class ScriptedQuestions : public Questions, public LoadProgress {
 public:
  ScriptedQuestions() {
    for (std::size_t i = 0; i < kCtlNames.size(); ++i) {
      const std::string name(kCtlNames[i]);
      captions[static_cast<Ctl>(i)] = name + "|" + name + "-ja";
    }
  }

  std::vector<std::string> events;
  std::map<Ctl, std::string> captions;
  std::map<Dialog, std::string> titles;
  // What the windows show; the user's clicks change it between the questions.
  Choices shown;
  std::string mainCaption;
  bool setupEnabled = true;
  // Cancel unless a test answers.
  std::function<std::optional<LanguageAnswer>()> onLanguage = [] { return std::nullopt; };
  // OK on the line selected when asked, unless a test answers otherwise.
  std::function<DriveAnswer(const DriveList&)> onDrive = [](const DriveList& d) {
    return DriveAnswer{true, d.selected, ""};
  };
  std::function<void()> onCompletion = [] {};
  bool continueAnyway = false;  // the warning box's default, No

  void SetMainCaption(const std::string& c) override { mainCaption = c; }
  std::optional<LanguageAnswer> AskLanguage() override {
    events.push_back("language dialog");
    return onLanguage();
  }
  DriveAnswer AskDrive(const DriveList& drives) override {
    events.push_back("drive dialog " + titles[Dialog::SelDrv] + " " + captions[Ctl::Label1] +
                     " at " + std::to_string(drives.selected));
    return onDrive(drives);
  }
  bool AskCompletion() override {
    events.push_back("completion dialog " + titles[Dialog::Setupped] + " " +
                     captions[Ctl::Msg1Lbl]);
    onCompletion();
    return shown[Check::OpenGlobalINIChk];
  }
  bool AskContinueAnyway(const std::string& warning) override {
    events.push_back("warning " + warning);
    return continueAnyway;
  }
  void ShowChoices(const Choices& c) override {
    shown = c;
    events.push_back("show choices");
  }
  Choices ReadChoices() override { return shown; }
  std::string Caption(Ctl ctl) override {
    events.push_back("localise " + std::string(CtlName(ctl)));
    return captions[ctl];
  }
  void SetCaption(Ctl ctl, const std::string& c) override { captions[ctl] = c; }
  void SetDialogTitle(Dialog dialog, const std::string& title) override { titles[dialog] = title; }
  void EnableSetup(bool on) override { setupEnabled = on; }
  LoadProgress& ShowLoading() override {
    events.push_back("show loading " + captions[Ctl::Label2]);
    return *this;
  }
  void HideLoading() override { events.push_back("hide loading"); }
  void SetMax(std::int32_t max) override { events.push_back("max " + std::to_string(max)); }
  void SetPosition(std::int32_t p) override { events.push_back("at " + std::to_string(p)); }

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
