#include "windows/Dpi.h"

#include "windows/Gdi.h"
#include "windows/SystemDll.h"

namespace setup::win {

namespace {

// Both exist from Windows 10 1607 on; older systems fall back to the system-wide DPI.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

}  // namespace

int SystemDpi() {
  const int dpi = GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSY);
  return dpi > 0 ? dpi : 96;
}

int DpiOf(HWND hwnd) {
  static const auto getDpi = SystemProc<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  const int dpi = getDpi ? static_cast<int>(getDpi(hwnd)) : 0;
  return dpi > 0 ? dpi : SystemDpi();
}

void AdjustRect(RECT& rc, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjust = SystemProc<AdjustForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
  if (!adjust || !adjust(&rc, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&rc, style, FALSE, exStyle);
  }
}

}  // namespace setup::win
