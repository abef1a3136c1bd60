#include "install/MainWin.h"

#include <array>

#include "archive/LoadingWin.h"
#include "install/SetuppedWin.h"
#include "language/SelMLWin.h"
#include "target/SelDrvWin.h"

namespace setup::win {

namespace {

constexpr UINT_PTR kStartupTimer = 1;

enum Row {
  Label2,
  GroupBox1,
  confGlobalINIChk,
  confFontChk,
  confSaveNameTxtChk,
  confSkinChk,
  confSEChk,
  GroupBox3,
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
  TargetDriveLbl,
  sysExistBackupChk,
  SetupBtn,
  CancelBtn,
};

constexpr unsigned kOn = kChecked;

}  // namespace

// Rows in the order of the Row enum; the check boxes of a group box are placed relative to it.
using enum Kind;

// clang-format off
constexpr ControlDef kMainControls[] = {
    {"Label2", Label, -1, {8, 8, 0, 0}, -1, 0,
     nullptr, "A main body of Skylarch and various configuration files are set up.|"
              "Skylarch本体と各種設定ファイルをセットアップします。"},
    {"GroupBox1", GroupBox, -1, {8, 32, 425, 145}, 1, 0,
     nullptr, "Configuration files|設定ファイル"},
    {"confGlobalINIChk", CheckBox, GroupBox1, {16, 24, 401, 17}, 0, kOn,
     nullptr, "/Skylarch/global.ini is copied.|/Skylarch/global.iniをコピーする。"},
    {"confFontChk", CheckBox, GroupBox1, {16, 48, 401, 17}, 2, kOn,
     nullptr, "/Skylarch/font12.glu-.glf is copied.|/Skylarch/font12.glu-.glfをコピーする。"},
    {"confSaveNameTxtChk", CheckBox, GroupBox1, {16, 72, 401, 17}, 3, kOn,
     nullptr, "/Skylarch/savename.txt is copied.|/Skylarch/savename.txtをコピーする。"},
    {"confSkinChk", CheckBox, GroupBox1, {16, 96, 401, 17}, 1, kOn,
     nullptr, "/Skylarch/skin/*.bmp is copied.|/Skylarch/skin/*.bmpをコピーする。"},
    {"confSEChk", CheckBox, GroupBox1, {16, 120, 401, 17}, 4, kOn,
     nullptr, "/Skylarch/se/*.wav is copied.|/Skylarch/se/*.wavをコピーする。"},
    {"GroupBox3", GroupBox, -1, {8, 184, 425, 265}, 2, 0,
     nullptr, "ROM image|ROMイメージ"},
    {"romMPCFChk", CheckBox, GroupBox3, {16, 24, 264, 17}, 0, kOn,
     nullptr, "The NDS file for GBAMP/AdMovie is copied.|GBAMP/AdMovie用NDSファイルをコピーする。"},
    {"romSCCFChk", CheckBox, GroupBox3, {16, 48, 264, 17}, 1, kOn,
     nullptr, "The NDS file for SuperCard/CF is copied.|SuperCard/CF用NDSファイルをコピーする。"},
    {"romSCSDChk", CheckBox, GroupBox3, {16, 64, 264, 17}, 2, kOn,
     nullptr, "The NDS file for SuperCard/SD is copied.|SuperCard/SD用NDSファイルをコピーする。"},
    {"romSCMSChk", CheckBox, GroupBox3, {16, 80, 264, 17}, 3, kOn,
     nullptr, "The NDS file for SuperCard/MicroSD is copied.|SuperCard/MicroSD用NDSファイルをコピーする。"},
    {"romM3CFChk", CheckBox, GroupBox3, {16, 104, 264, 17}, 4, kOn,
     nullptr, "The NDS file for M3/CF series is copied.|M3/CFシリーズ用NDSファイルをコピーする。"},
    {"romM3SDChk", CheckBox, GroupBox3, {16, 120, 264, 17}, 5, kOn,
     nullptr, "The NDS file for M3/SD series is copied.|M3/SDシリーズ用NDSファイルをコピーする。"},
    {"romMMCFChk", CheckBox, GroupBox3, {16, 144, 264, 17}, 6, kOn,
     nullptr, "The NDS file for Max Media/CF is copied.|Max Media/CF用NDSファイルをコピーする。"},
    {"romEZSDChk", CheckBox, GroupBox3, {16, 168, 264, 17}, 7, 0,
     nullptr, "The NDS file for EZ-Flash 4/MicroSD is copied.|EZ-Flash4/MicroSD用NDSファイルをコピーする。"},
    {"romEWSDChk", CheckBox, GroupBox3, {16, 192, 264, 17}, 8, kOn,
     nullptr, "The NDS file for Ewin2/MicroSD is copied.|Ewin2/MicroSD用NDSファイルをコピーする。"},
    {"romNMMCChk", CheckBox, GroupBox3, {16, 216, 264, 17}, 9, kDisabled,
     nullptr, "The NDS file for MagicKey2-3/SD is copied.|MagicKey2-3/SD用NDSファイルをコピーする。"},
    {"romNJSDChk", CheckBox, GroupBox3, {16, 240, 264, 17}, 10, kDisabled,
     nullptr, "The NDS file for NinjaDS/SD is copied.|NinjaDS/SD用NDSファイルをコピーする。"},
    {"TargetDriveLbl", Label, -1, {8, 456, 0, 0}, -1, 0,
     nullptr, "TargetDriveLbl"},
    {"sysExistBackupChk", CheckBox, -1, {8, 474, 329, 17}, 4, kOn,
     nullptr, "When existing, backup is created.|同名ファイルはバックアップを作成する。"},
    {"SetupBtn", Button, -1, {248, 464, 89, 25}, 0, kDefault | kGlyphOk,
     &TMain::SetupBtnClick, "Setup|セットアップ"},
    {"CancelBtn", Button, -1, {344, 464, 89, 25}, 3, kCancel | kGlyphCancel,
     &TMain::CancelBtnClick, "Cancel|キャンセル"},
};
// clang-format on

namespace {

constexpr WindowDef kMainDef{L"TMain", "Main", Frame::Main, 440, 496, kMainControls};

// The check boxes by the engine's names; the last one lives in the completion dialog.
constexpr std::array<Row, kCheckCount - 1> kCheckRows = {
    confGlobalINIChk, confFontChk, confSaveNameTxtChk, confSkinChk, confSEChk,         romMPCFChk,
    romSCCFChk,       romSCSDChk,  romSCMSChk,         romM3CFChk,  romM3SDChk,        romMMCFChk,
    romEZSDChk,       romEWSDChk,  romNMMCChk,         romNJSDChk,  sysExistBackupChk,
};

}  // namespace

TMain::TMain(App& app) : Window(app, kMainDef) {}

void TMain::Attach(Sequences& sequences, TSelDrv& selDrv, TLoading& loading, TSelML& selML,
                   TSetupped& setupped) {
  sequences_ = &sequences;
  selDrv_ = &selDrv;
  loading_ = &loading;
  selML_ = &selML;
  setupped_ = &setupped;
}

void TMain::OnCreate() {
  sequences_->FormCreate();
}

void TMain::SetupBtnClick(Window& window, unsigned code) {
  if (code == BN_CLICKED) static_cast<TMain&>(window).sequences_->SetupBtnClick();
}

void TMain::CancelBtnClick(Window& window, unsigned code) {
  if (code == BN_CLICKED) static_cast<TMain&>(window).sequences_->CancelBtnClick();
}

bool TMain::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_TIMER:
      if (wParam != kStartupTimer) return false;
      app().Guard([this] { sequences_->StartupTimerTimer(); });
      result = 0;
      return true;
    case WM_CLOSE:
      sequences_->CancelBtnClick();
      result = 0;
      return true;
    default:
      return false;
  }
}

void TMain::SetMainCaption(const std::string& caption) {
  SetTitle(caption);
}

void TMain::EnableStartupTimer(bool enabled) {
  if (enabled) {
    SetTimer(Handle(), kStartupTimer, 1, nullptr);
  } else {
    KillTimer(Handle(), kStartupTimer);
  }
}

bool TMain::RunLanguageDialog() {
  return selML_->RunModal();
}
bool TMain::RunDriveDialog() {
  return selDrv_->RunModal();
}
void TMain::RunCompletionDialog() {
  setupped_->RunModal();
}

void TMain::ShowLoading() {
  // The load dispatches no messages: what is not painted now stays stale until it is over.
  UpdateWindow(Handle());
  loading_->CenterOn(Handle());
  ShowWindow(loading_->Handle(), SW_SHOWNOACTIVATE);
  RedrawWindow(loading_->Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TMain::HideLoading() {
  ShowWindow(loading_->Handle(), SW_HIDE);
}

LoadProgress& TMain::Progress() {
  return *loading_;
}

Screens::Point TMain::MainPosition() {
  RECT rc{};
  GetWindowRect(Handle(), &rc);
  return {rc.left, rc.top};
}

void TMain::MoveMain(Point to) {
  SetWindowPos(Handle(), nullptr, to.left, to.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CaptionControl& TMain::Control(Ctl ctl) {
  Window* owner = this;
  if (ctl >= Ctl::Msg1Lbl) {
    owner = setupped_;
  } else if (ctl >= Ctl::SelDrvLabel1) {
    owner = selDrv_;
  }
  return owner->CaptionOf(CtlName(ctl));
}

void TMain::SetDialogTitle(Dialog dialog, const std::string& title) {
  (dialog == Dialog::SelDrv ? static_cast<Window*>(selDrv_) : setupped_)->SetTitle(title);
}

void TMain::SetTargetDriveLabel(const std::string& caption) {
  SetText(TargetDriveLbl, caption);
}

void TMain::EnableSetup(bool enabled) {
  Enable(SetupBtn, enabled);
  if (enabled) SetFocus(Item(SetupBtn));
}

std::string TMain::ExtractPath() {
  return selDrv_->ExtractPath;
}

DriveListView& TMain::DriveList() {
  return *selDrv_;
}

bool TMain::IsChecked(Check box) const {
  const int i = static_cast<int>(box);
  if (box == Check::OpenGlobalINIChk) return setupped_->OpenGlobalINI();
  return Checked(kCheckRows[i]);
}

void TMain::SetChecked(Check box, bool checked) {
  const int i = static_cast<int>(box);
  if (box == Check::OpenGlobalINIChk) {
    setupped_->SetOpenGlobalINI(checked);
  } else {
    Window::SetChecked(kCheckRows[i], checked);
  }
}

}  // namespace setup::win
