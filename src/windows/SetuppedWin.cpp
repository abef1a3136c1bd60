#include "windows/SetuppedWin.h"

namespace setup::win {

namespace {

enum Local { BitBtn1 = kFirstLocalId };
using enum Kind;

// clang-format off
constexpr ControlDef kSetuppedControls[] = {
    {Id(Ctl::Msg1Lbl), Label, -1, {8, 8, 0, 0}, -1, 0,
     "The setup was completed.|セットアップが完了しました。"},
    {Id(Ctl::OpenGlobalINIChk), CheckBox, -1, {8, 37, 241, 17}, 1, 0,
     "After closed, \"shell/global.ini\" is opened.|終了後に\"shell/global.ini\"を開く"},
    {BitBtn1, Button, -1, {256, 32, 67, 25}, 0, kDefault | kClosesOk | kGlyphOk,
     "OK"},
};
// clang-format on

}  // namespace

const WindowDef kSetuppedDef{L"TSetupped", "Setupped", Frame::Dialog, 328, 64, kSetuppedControls};

TSetupped::TSetupped(App& app) : Window(app, kSetuppedDef) {}

}  // namespace setup::win
