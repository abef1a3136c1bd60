#include "windows/MainWin.h"

namespace setup::win {

namespace {
constexpr UINT_PTR kStartupTimer = 1;
}  // namespace

// A choice's tick and enabled state come from the choices table; the check boxes of a group box
// are placed relative to it.
using enum Kind;

// clang-format off
constexpr ControlDef kMainControls[] = {
    {Id(Ctl::Label2), Label, -1, {8, 8, 0, 0}, -1, 0,
     "A main body of Skylarch and various configuration files are set up.|"
     "Skylarch本体と各種設定ファイルをセットアップします。"},
    {Id(Ctl::GroupBox1), GroupBox, -1, {8, 32, 425, 145}, 1, 0,
     "Configuration files|設定ファイル"},
    {Id(Ctl::confGlobalINIChk), CheckBox, Id(Ctl::GroupBox1), {16, 24, 401, 17}, 0, 0,
     "/Skylarch/global.ini is copied.|/Skylarch/global.iniをコピーする。"},
    {Id(Ctl::confFontChk), CheckBox, Id(Ctl::GroupBox1), {16, 48, 401, 17}, 2, 0,
     "/Skylarch/font12.glu-.glf is copied.|/Skylarch/font12.glu-.glfをコピーする。"},
    {Id(Ctl::confSaveNameTxtChk), CheckBox, Id(Ctl::GroupBox1), {16, 72, 401, 17}, 3, 0,
     "/Skylarch/savename.txt is copied.|/Skylarch/savename.txtをコピーする。"},
    {Id(Ctl::confSkinChk), CheckBox, Id(Ctl::GroupBox1), {16, 96, 401, 17}, 1, 0,
     "/Skylarch/skin/*.bmp is copied.|/Skylarch/skin/*.bmpをコピーする。"},
    {Id(Ctl::confSEChk), CheckBox, Id(Ctl::GroupBox1), {16, 120, 401, 17}, 4, 0,
     "/Skylarch/se/*.wav is copied.|/Skylarch/se/*.wavをコピーする。"},
    {Id(Ctl::GroupBox3), GroupBox, -1, {8, 184, 425, 265}, 2, 0,
     "ROM image|ROMイメージ"},
    {Id(Ctl::romMPCFChk), CheckBox, Id(Ctl::GroupBox3), {16, 24, 264, 17}, 0, 0,
     "The NDS file for GBAMP/AdMovie is copied.|GBAMP/AdMovie用NDSファイルをコピーする。"},
    {Id(Ctl::romSCCFChk), CheckBox, Id(Ctl::GroupBox3), {16, 48, 264, 17}, 1, 0,
     "The NDS file for SuperCard/CF is copied.|SuperCard/CF用NDSファイルをコピーする。"},
    {Id(Ctl::romSCSDChk), CheckBox, Id(Ctl::GroupBox3), {16, 64, 264, 17}, 2, 0,
     "The NDS file for SuperCard/SD is copied.|SuperCard/SD用NDSファイルをコピーする。"},
    {Id(Ctl::romSCMSChk), CheckBox, Id(Ctl::GroupBox3), {16, 80, 264, 17}, 3, 0,
     "The NDS file for SuperCard/MicroSD is copied.|SuperCard/MicroSD用NDSファイルをコピーする。"},
    {Id(Ctl::romM3CFChk), CheckBox, Id(Ctl::GroupBox3), {16, 104, 264, 17}, 4, 0,
     "The NDS file for M3/CF series is copied.|M3/CFシリーズ用NDSファイルをコピーする。"},
    {Id(Ctl::romM3SDChk), CheckBox, Id(Ctl::GroupBox3), {16, 120, 264, 17}, 5, 0,
     "The NDS file for M3/SD series is copied.|M3/SDシリーズ用NDSファイルをコピーする。"},
    {Id(Ctl::romMMCFChk), CheckBox, Id(Ctl::GroupBox3), {16, 144, 264, 17}, 6, 0,
     "The NDS file for Max Media/CF is copied.|Max Media/CF用NDSファイルをコピーする。"},
    {Id(Ctl::romEZSDChk), CheckBox, Id(Ctl::GroupBox3), {16, 168, 264, 17}, 7, 0,
     "The NDS file for EZ-Flash 4/MicroSD is copied.|EZ-Flash4/MicroSD用NDSファイルをコピーする。"},
    {Id(Ctl::romEWSDChk), CheckBox, Id(Ctl::GroupBox3), {16, 192, 264, 17}, 8, 0,
     "The NDS file for Ewin2/MicroSD is copied.|Ewin2/MicroSD用NDSファイルをコピーする。"},
    {Id(Ctl::romNMMCChk), CheckBox, Id(Ctl::GroupBox3), {16, 216, 264, 17}, 9, 0,
     "The NDS file for MagicKey2-3/SD is copied.|MagicKey2-3/SD用NDSファイルをコピーする。"},
    {Id(Ctl::romNJSDChk), CheckBox, Id(Ctl::GroupBox3), {16, 240, 264, 17}, 10, 0,
     "The NDS file for NinjaDS/SD is copied.|NinjaDS/SD用NDSファイルをコピーする。"},
    {Id(Ctl::TargetDriveLbl), Label, -1, {8, 456, 0, 0}, -1, 0,
     "TargetDriveLbl"},
    {Id(Ctl::sysExistBackupChk), CheckBox, -1, {8, 474, 329, 17}, 4, 0,
     "When existing, backup is created.|同名ファイルはバックアップを作成する。"},
    {Id(Ctl::SetupBtn), Button, -1, {248, 464, 89, 25}, 0, kDefault | kGlyphOk,
     "Setup|セットアップ"},
    {Id(Ctl::CancelBtn), Button, -1, {344, 464, 89, 25}, 3, kCancel | kGlyphCancel,
     "Cancel|キャンセル"},
};
// clang-format on

const WindowDef kMainDef{L"TMain", "Main", Frame::Main, 440, 496, kMainControls};

TMain::TMain(App& app, Sequences& sequences) : Window(app, kMainDef), sequences_(sequences) {}

void TMain::OnCreate() {
  sequences_.FormCreate();
  SetTimer(Handle(), kStartupTimer, 1, nullptr);
}

void TMain::OnCommand(int id, unsigned code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case Id(Ctl::SetupBtn):
      return sequences_.SetupBtnClick();
    case Id(Ctl::CancelBtn):
      return sequences_.CancelBtnClick();
  }
}

bool TMain::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_TIMER:
      if (wParam != kStartupTimer) return false;
      // Off first, so that the dialogs' nested loops cannot start the sequence again.
      KillTimer(Handle(), kStartupTimer);
      app().Guard([this] { sequences_.StartupTimerTimer(); });
      result = 0;
      return true;
    case WM_CLOSE:
      sequences_.CancelBtnClick();
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace setup::win
