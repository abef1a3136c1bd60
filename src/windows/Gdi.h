// GDI owners on the handle type of platform/win32, and the GDI objects a window draws its
// controls with, made for one DPI and freed with it.
#pragma once

#include "platform/win32/Handle.h"

namespace setup::win {

// A GDI handle and the function that frees it. DeleteObject fails on an object still selected
// into a device context: declare its Selected after its owner, so that the selection ends first.
template <class T, auto Free>
struct GdiKind {
  using Type = T;
  static T Invalid() { return nullptr; }
  static BOOL Close(T handle) { return Free(handle); }
};
using ScopedFont = Scoped<GdiKind<HFONT, DeleteObject>>;
using ScopedPen = Scoped<GdiKind<HPEN, DeleteObject>>;
using ScopedBitmap = Scoped<GdiKind<HBITMAP, DeleteObject>>;
using ScopedIcon = Scoped<GdiKind<HICON, DestroyIcon>>;
using ScopedMemoryDc = Scoped<GdiKind<HDC, DeleteDC>>;

// A window's device context (the screen's for nullptr), given back to that window.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDc() { ReleaseDC(hwnd_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// An object selected into a device context while the owner lives; the one it replaced goes back.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, old_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

struct GdiSet {
  ScopedFont ui;        // the Japanese UI face, which also carries the English captions
  ScopedFont terminal;  // the fixed-pitch face of the drive list
  ScopedIcon ok;        // the buttons' glyphs
  ScopedIcon cancel;

  static GdiSet For(int dpi);
};

}  // namespace setup::win
