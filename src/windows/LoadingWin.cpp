#include "windows/LoadingWin.h"

#include <commctrl.h>

namespace setup::win {

namespace {

enum Local { Label1 = kFirstLocalId, ProgressBar1 };

// English only: these captions are never cut to a language.
using enum Kind;

// clang-format off
constexpr ControlDef kLoadingControls[] = {
    {Label1, Label, -1, {0, 0, 0, 0}, -1, 0,
     "Loading resource data"},
    {ProgressBar1, Progress, -1, {0, 16, 353, 15}, -1, 0,
     ""},
};
// clang-format on

}  // namespace

const WindowDef kLoadingDef{L"TLoading", "Loading", Frame::Tool, 361, 32, kLoadingControls};

TLoading::TLoading(App& app) : Window(app, kLoadingDef) {}

void TLoading::SetMax(std::int32_t max) {
  SendMessageW(Item(ProgressBar1), PBM_SETRANGE32, 0, max);
}

void TLoading::SetPosition(std::int32_t position) {
  SendMessageW(Item(ProgressBar1), PBM_SETPOS, static_cast<WPARAM>(position), 0);
  // The load dispatches no messages, so the bar is painted here or not at all.
  UpdateWindow(Item(ProgressBar1));
}

}  // namespace setup::win
