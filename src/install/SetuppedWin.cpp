#include "install/SetuppedWin.h"

namespace setup::win {

namespace {

enum Row { Msg1Lbl, OpenGlobalINIChk, BitBtn1 };

constexpr ControlDef kSetuppedControls[] = {
    {"Msg1Lbl",
     Kind::Label,
     -1,
     {8, 8, 0, 0},
     "The setup was completed.|セットアップが完了しました。",
     -1,
     0,
     nullptr},
    {"OpenGlobalINIChk",
     Kind::CheckBox,
     -1,
     {8, 37, 241, 17},
     "After closed, \"shell/global.ini\" is opened.|終了後に\"shell/global.ini\"を開く",
     1,
     kChecked,
     nullptr},
    {"BitBtn1",
     Kind::Button,
     -1,
     {256, 32, 67, 25},
     "OK",
     0,
     kDefault | kClosesOk | kGlyphOk,
     nullptr},
};

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
