#include "install/SetuppedWin.h"

namespace setup::win {

namespace {

enum Row { Msg1Lbl, OpenGlobalINIChk, BitBtn1 };

using enum Kind;

// clang-format off
constexpr ControlDef kSetuppedControls[] = {
    {"Msg1Lbl", Label, -1, {8, 8, 0, 0}, -1, 0,
     nullptr, "The setup was completed.|セットアップが完了しました。"},
    {"OpenGlobalINIChk", CheckBox, -1, {8, 37, 241, 17}, 1, kChecked,
     nullptr, "After closed, \"shell/global.ini\" is opened.|終了後に\"shell/global.ini\"を開く"},
    {"BitBtn1", Button, -1, {256, 32, 67, 25}, 0, kDefault | kClosesOk | kGlyphOk,
     nullptr, "OK"},
};
// clang-format on

constexpr WindowDef kSetuppedDef{L"TSetupped", "Setupped", Frame::Dialog,
                                 328,          64,         kSetuppedControls};

}  // namespace

TSetupped::TSetupped(App& app) : Window(app, kSetuppedDef) {}

bool TSetupped::OpenGlobalINI() const {
  return Checked(OpenGlobalINIChk);
}

void TSetupped::SetOpenGlobalINI(bool checked) {
  SetChecked(OpenGlobalINIChk, checked);
}

}  // namespace setup::win
