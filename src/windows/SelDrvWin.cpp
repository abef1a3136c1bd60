#include "windows/SelDrvWin.h"

#include <commdlg.h>

#include "platform/Paths.h"
#include "windows/SystemDll.h"

namespace setup::win {

namespace {

enum Local { TargetDriveLst = kFirstLocalId, BitBtn1, BitBtn2 };
using enum Kind;

// clang-format off
constexpr ControlDef kSelDrvControls[] = {
    {Id(Ctl::Label1), Label, -1, {8, 8, 0, 0}, -1, 0,
     "Select setup target drive.|セットアップ対象ドライブを選択してください。"},
    {TargetDriveLst, DropList, -1, {8, 32, 225, 21}, 0, kTerminalFont,
     ""},
    {BitBtn1, Button, -1, {79, 64, 73, 25}, 1, kDefault | kClosesOk | kGlyphOk,
     "OK"},
    {BitBtn2, Button, -1, {159, 64, 73, 25}, 2, kCancel | kClosesCancel | kGlyphCancel,
     "Cancel"},
    {Id(Ctl::ExtractBtn), Button, -1, {8, 120, 217, 25}, 3, 0,
     "extract all files to...|全ての内部ファイルを展開する"},
    {Id(Ctl::ToolChk), CheckBox, -1, {8, 96, 225, 17}, 4, 0,
     "tool for developers.|開発者向けツール"},
};
// clang-format on

// The bottom edge of a control plus the 4-pixel margin below it.
constexpr int BottomOf(int id) {
  const Rect96& r = kSelDrvControls[static_cast<std::size_t>(RowOf(kSelDrvControls, id))].rect;
  return r.top + r.height + 4;
}

}  // namespace

// Opens with the extract button hidden below the client area; ToolChkClick sets the height.
constexpr int kHeight = BottomOf(Id(Ctl::ToolChk));
const WindowDef kSelDrvDef{L"TSelDrv", "SelDrv", Frame::Dialog, 239, kHeight, kSelDrvControls};

TSelDrv::TSelDrv(App& app, Sequences& sequences) : Window(app, kSelDrvDef), sequences_(sequences) {}

void TSelDrv::OnCreate() {
  ExtractPath.clear();
  SetChecked(Id(Ctl::ToolChk), false);
  ToolChkClick();
  sequences_.SelDrvFormCreate();
}

DriveAnswer TSelDrv::Ask(const DriveList& drives) {
  const HWND list = Item(TargetDriveLst);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& line : drives.lines) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(line).c_str()));
  }
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(drives.selected), 0);
  DriveAnswer answer;
  answer.ok = RunModal();
  const auto selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
  answer.selected = selected == CB_ERR ? -1 : static_cast<int>(selected);
  answer.extractPath = ExtractPath;
  return answer;
}

void TSelDrv::OnCommand(int id, unsigned code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case Id(Ctl::ToolChk):
      return ToolChkClick();
    case Id(Ctl::ExtractBtn):
      return ExtractBtnClick();
  }
}

void TSelDrv::ToolChkClick() {
  SetClientHeight96(Checked(Id(Ctl::ToolChk)) ? BottomOf(Id(Ctl::ExtractBtn))
                                              : BottomOf(Id(Ctl::ToolChk)));
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

}  // namespace setup::win
