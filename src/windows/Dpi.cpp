#include "windows/Dpi.h"

#include "windows/Gdi.h"
#include "windows/SystemDll.h"

namespace setup::win {

namespace {

// All three exist from Windows 10 1607 on; older systems fall back to the system-wide DPI.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using MetricForDpiFn = int(WINAPI*)(int, UINT);

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

int CheckMarkWidth(int dpi) {
  static const auto metric = SystemProc<MetricForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
  if (metric) return metric(SM_CXMENUCHECK, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(SM_CXMENUCHECK), dpi, SystemDpi());
}

}  // namespace setup::win
