#include "windows/Dpi.h"

namespace setup::win {

namespace {

// Both exist from Windows 10 1607 on; older systems fall back to the system-wide DPI.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <class Fn>
Fn User32(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int DpiOf(HWND hwnd) {
  static const auto getDpi = User32<GetDpiForWindowFn>("GetDpiForWindow");
  const int dpi = getDpi ? static_cast<int>(getDpi(hwnd)) : 0;
  return dpi > 0 ? dpi : SystemDpi();
}

void AdjustRect(RECT& rc, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjust = User32<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjust || !adjust(&rc, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&rc, style, FALSE, exStyle);
  }
}

}  // namespace setup::win
