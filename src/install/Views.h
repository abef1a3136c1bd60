// What the installation core reads of the windows. The windows implement these; the tests
// implement them with plain fakes.
#pragma once

#include <string>
#include <vector>

namespace setup {

// The eighteen check boxes that the builders and the settings file name.
enum class Check : int {
  confGlobalINIChk,
  confFontChk,
  confSaveNameTxtChk,
  confSkinChk,
  confSEChk,
  romMPCFChk,
  romSCCFChk,
  romSCSDChk,
  romSCMSChk,
  romM3CFChk,
  romM3SDChk,
  romMMCFChk,
  romEZSDChk,
  romEWSDChk,
  romNMMCChk,
  romNJSDChk,
  sysExistBackupChk,
  OpenGlobalINIChk,
};
inline constexpr int kCheckCount = 18;

class CheckBoxes {
 public:
  virtual ~CheckBoxes() = default;
  virtual bool IsChecked(Check box) const = 0;
  virtual void SetChecked(Check box, bool checked) = 0;
};

// The drop-down list of drive lines in the target drive dialog.
class DriveListView {
 public:
  virtual ~DriveListView() = default;
  virtual std::vector<std::string> Lines() const = 0;
  // -1 when nothing is selected.
  virtual int SelectedIndex() const = 0;
  virtual void SetSelectedIndex(int index) = 0;
};

// The selected line, empty when nothing is selected.
inline std::string SelectedLine(const DriveListView& list) {
  const auto lines = list.Lines();
  const int i = list.SelectedIndex();
  return i >= 0 && i < static_cast<int>(lines.size()) ? lines[i] : std::string();
}

// The main window's caption, which shows each log line.
class MainCaption {
 public:
  virtual ~MainCaption() = default;
  virtual void SetMainCaption(const std::string& caption) = 0;
};

}  // namespace setup
