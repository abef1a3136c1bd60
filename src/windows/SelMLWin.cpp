#include "windows/SelMLWin.h"

namespace setup::win {

namespace {

enum Local {
  Label2 = kFirstLocalId,
  Label1,
  ENRadioBtn,
  JPRadioBtn,
  SaveChk,
  Label3,
  BitBtn1,
  BitBtn2
};
using enum Kind;

// clang-format off
constexpr ControlDef kSelMLControls[] = {
    {Label2, Label, -1, {8, 8, 0, 0}, -1, 0,
     "Please select the language for setup."},
    {Label1, Label, -1, {8, 24, 0, 0}, -1, 0,
     "使用する言語を選択してください。"},
    {ENRadioBtn, Radio, -1, {16, 48, 129, 17}, 0, kChecked,
     "English / 英語"},
    {JPRadioBtn, Radio, -1, {16, 72, 129, 17}, 1, 0,
     "Japanese / 日本語"},
    {SaveChk, CheckBox, -1, {8, 104, 297, 17}, 2, 0,
     "The language setting is saved to Setup.ini."},
    {Label3, Label, -1, {28, 124, 0, 0}, -1, kNotify,
     "言語設定をSetup.iniに保存する。"},
    {BitBtn1, Button, -1, {128, 144, 83, 25}, 3, kDefault | kClosesOk | kGlyphOk,
     "OK"},
    {BitBtn2, Button, -1, {224, 144, 83, 25}, 4, kCancel | kClosesCancel | kGlyphCancel,
     "キャンセル"},
};
// clang-format on

}  // namespace

const WindowDef kSelMLDef{L"TSelML", "Select Language", Frame::Dialog, 311, 175, kSelMLControls};

TSelML::TSelML(App& app) : Window(app, kSelMLDef) {}

std::optional<LanguageAnswer> TSelML::Ask() {
  if (!RunModal()) return std::nullopt;
  return LanguageAnswer{Checked(ENRadioBtn), Checked(JPRadioBtn), Checked(SaveChk)};
}

void TSelML::OnCommand(int id, unsigned code) {
  // The second click of a double click arrives as STN_DBLCLK and toggles too.
  if (id == Label3 && (code == STN_CLICKED || code == STN_DBLCLK)) Label3Click();
}

void TSelML::Label3Click() {
  SetChecked(SaveChk, !Checked(SaveChk));
}

}  // namespace setup::win
