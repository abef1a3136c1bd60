// The GDI objects a window draws its controls with, made for one DPI and freed with it.
#pragma once

#include "platform/win32/Handle.h"

namespace setup::win {

struct FontKind {
  using Type = HFONT;
  static HFONT Invalid() { return nullptr; }
  static BOOL Close(HFONT f) { return DeleteObject(f); }
};
struct IconKind {
  using Type = HICON;
  static HICON Invalid() { return nullptr; }
  static BOOL Close(HICON i) { return DestroyIcon(i); }
};
using ScopedFont = Scoped<FontKind>;
using ScopedIcon = Scoped<IconKind>;

struct GdiSet {
  ScopedFont ui;        // the Japanese UI face, which also carries the English captions
  ScopedFont terminal;  // the fixed-pitch face of the drive list
  ScopedIcon ok;        // the buttons' glyphs
  ScopedIcon cancel;

  static GdiSet For(int dpi);
};

}  // namespace setup::win
