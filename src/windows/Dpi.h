// The DPI a window is drawn at, and window sizes for it.
#pragma once

#include "platform/win32/Text.h"

namespace setup::win {

// The system-wide DPI, for a window that does not exist yet.
int SystemDpi();
// The window's own DPI (per monitor from Windows 10 1607 on), or the system-wide one.
int DpiOf(HWND hwnd);
// Grows a client rectangle to the window rectangle for that DPI.
void AdjustRect(RECT& rc, DWORD style, DWORD exStyle, int dpi);
// The width of a check box's or radio button's mark at that DPI.
int CheckMarkWidth(int dpi);
inline int Scale(int value, int dpi) {
  return MulDiv(value, dpi, 96);
}

}  // namespace setup::win
