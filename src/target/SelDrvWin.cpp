#include "target/SelDrvWin.h"

#include <commdlg.h>

#include "platform/Paths.h"
#include "platform/win32/SystemDll.h"
#include "platform/win32/Text.h"
#include "target/DriveInfo.h"

namespace setup::win {

namespace {

enum Row { Label1, TargetDriveLst, BitBtn1, BitBtn2, ExtractBtn, ToolChk };

using enum Kind;

// clang-format off
constexpr ControlDef kSelDrvControls[] = {
    {"Label1", Label, -1, {8, 8, 0, 0}, -1, 0,
     nullptr, "Select setup target drive.|セットアップ対象ドライブを選択してください。"},
    {"TargetDriveLst", DropList, -1, {8, 32, 225, 21}, 0, kTerminalFont,
     nullptr, ""},
    {"BitBtn1", Button, -1, {79, 64, 73, 25}, 1, kDefault | kClosesOk | kGlyphOk,
     nullptr, "OK"},
    {"BitBtn2", Button, -1, {159, 64, 73, 25}, 2, kCancel | kClosesCancel | kGlyphCancel,
     nullptr, "Cancel"},
    {"ExtractBtn", Button, -1, {8, 120, 217, 25}, 3, 0,
     &TSelDrv::ExtractBtnClick, "extract all files to...|全ての内部ファイルを展開する"},
    {"ToolChk", CheckBox, -1, {8, 96, 225, 17}, 4, 0,
     &TSelDrv::ToolChkClick, "tool for developers.|開発者向けツール"},
};
// clang-format on

// The client height is set by ToolChkClick.
constexpr WindowDef kSelDrvDef{L"TSelDrv", "SelDrv", Frame::Dialog, 239, 117, kSelDrvControls};

// The bottom edge of a control plus the 4-pixel margin below it.
constexpr int BottomOf(Row row) {
  return kSelDrvControls[row].rect.top + kSelDrvControls[row].rect.height + 4;
}
static_assert(BottomOf(ToolChk) == 117 && BottomOf(ExtractBtn) == 149);

}  // namespace

TSelDrv::TSelDrv(App& app, Volumes& volumes) : Window(app, kSelDrvDef), volumes_(volumes) {}

void TSelDrv::OnCreate() {
  ExtractPath.clear();
  Window::SetChecked(ToolChk, false);
  ToolChkClick();
  const HWND list = Item(TargetDriveLst);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& line : BuildDriveList(volumes_)) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(line).c_str()));
  }
  SetSelectedIndex(0);
}

void TSelDrv::ToolChkClick(Window& window, unsigned code) {
  if (code == BN_CLICKED) static_cast<TSelDrv&>(window).ToolChkClick();
}

void TSelDrv::ExtractBtnClick(Window& window, unsigned code) {
  if (code == BN_CLICKED) static_cast<TSelDrv&>(window).ExtractBtnClick();
}

void TSelDrv::ToolChkClick() {
  SetClientHeight96(Checked(ToolChk) ? BottomOf(ExtractBtn) : BottomOf(ToolChk));
}

void TSelDrv::ExtractBtnClick() {
  wchar_t file[MAX_PATH * 4] = L"_BOOT_MP.NDS";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Handle();
  ofn.lpstrFilter = L"variable\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = static_cast<DWORD>(std::size(file));
  ofn.lpstrTitle = L"Extract to... 展開先を指定してください。";
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  const auto save = SystemProc<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
  if (!save || !save(&ofn)) return;
  ExtractPath = ExtractFilePath(ToUtf8(file));
  EndModal(true);
}

std::vector<std::string> TSelDrv::Lines() const {
  const HWND list = Item(TargetDriveLst);
  const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, i, 0)) + 1,
                      L'\0');
    const auto n = SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    lines.push_back(ToUtf8(text));
  }
  return lines;
}

int TSelDrv::SelectedIndex() const {
  const auto i = SendMessageW(Item(TargetDriveLst), CB_GETCURSEL, 0, 0);
  return i == CB_ERR ? -1 : static_cast<int>(i);
}

void TSelDrv::SetSelectedIndex(int index) {
  SendMessageW(Item(TargetDriveLst), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace setup::win
