// What the sequences ask of the windows and tell them: answers, not widgets. The windows'
// adapter answers in the program, a scripted fake in the tests. Which window owns which
// control, timers and window positions stay the windows' own business.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/resfile.h"
#include "install/Choices.h"

namespace setup {

// The drive lines listed when the drive dialog is created, and the one selected.
struct DriveList {
  std::vector<std::string> lines;
  int selected = -1;  // none
  // The selected line, empty when nothing is selected.
  std::string SelectedLine() const {
    return selected >= 0 && selected < static_cast<int>(lines.size()) ? lines[selected] : "";
  }
};

// The main window's caption, which shows each step as it is logged.
class MainCaption {
 public:
  virtual ~MainCaption() = default;
  virtual void SetMainCaption(const std::string& caption) = 0;
};

struct LanguageAnswer {
  bool english = false, japanese = false;  // the radio buttons
  bool save = false;                       // SaveChk
};

struct DriveAnswer {
  bool ok = false;          // false: Cancel
  int selected = -1;        // the line selected when the dialog closed
  std::string extractPath;  // the developer option's folder with its trailing "\", or ""
};

// The dialogs whose titles the sequences set.
enum class Dialog { SelDrv, Setupped };

// Failures of the windows themselves are Errors, as everywhere; none of these asks again or
// reports anything of its own.
class Questions : public MainCaption {
 public:
  // The language dialog; nullopt for Cancel.
  virtual std::optional<LanguageAnswer> AskLanguage() = 0;
  // The drive dialog over these lines.
  virtual DriveAnswer AskDrive(const DriveList& drives) = 0;
  // The completion dialog; the tick of OpenGlobalINIChk when it closed.
  virtual bool AskCompletion() = 0;
  // A warning box with Yes and No, No the default; true for Yes.
  virtual bool AskContinueAnyway(const std::string& warning) = 0;

  // All eighteen ticks, shown in their windows or read back from them.
  virtual void ShowChoices(const Choices& choices) = 0;
  virtual Choices ReadChoices() = 0;
  // A control's caption, for cutting it to the language and for the target drive label.
  virtual std::string Caption(Ctl ctl) = 0;
  virtual void SetCaption(Ctl ctl, const std::string& caption) = 0;
  virtual void SetDialogTitle(Dialog dialog, const std::string& title) = 0;
  virtual void EnableSetup(bool enabled) = 0;
  // The loading window, shown and painted at once while the archive loads.
  virtual LoadProgress& ShowLoading() = 0;
  virtual void HideLoading() = 0;
};

}  // namespace setup
