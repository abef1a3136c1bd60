#include "windows/Gdi.h"

#include <algorithm>

#include "windows/Dpi.h"

namespace setup::win {

namespace {

HFONT MakeFont(int pixels, const wchar_t* face, BYTE pitch) {
  return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch, face);
}

// The buttons' glyphs are drawn here rather than shipped: a green tick for OK, a red cross
// for Cancel, on a transparent background.
HICON MakeGlyph(bool ok, int size) {
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  const HBITMAP color = CreateCompatibleBitmap(screen, size, size);
  const HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  const auto at = [size](double f) { return static_cast<int>(f * (size - 1) + 0.5); };
  const POINT tick[] = {{at(0.12), at(0.55)}, {at(0.40), at(0.82)}, {at(0.88), at(0.18)}};
  const POINT cross[] = {
      {at(0.2), at(0.2)}, {at(0.8), at(0.8)}, {at(0.8), at(0.2)}, {at(0.2), at(0.8)}};
  const auto draw = [&](COLORREF ink) {
    LOGBRUSH brush{BS_SOLID, ink, 0};
    const HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                  std::max(2, size / 6), &brush, 0, nullptr);
    const HGDIOBJ old = SelectObject(dc, pen);
    if (ok) {
      Polyline(dc, tick, 3);
    } else {
      Polyline(dc, cross, 2);
      Polyline(dc, cross + 2, 2);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
  };
  HGDIOBJ old = SelectObject(dc, mask);
  PatBlt(dc, 0, 0, size, size, WHITENESS);
  draw(RGB(0, 0, 0));
  SelectObject(dc, color);
  PatBlt(dc, 0, 0, size, size, BLACKNESS);
  draw(ok ? RGB(0, 140, 0) : RGB(200, 0, 0));
  SelectObject(dc, old);
  ICONINFO info{TRUE, 0, 0, mask, color};
  const HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return icon;
}

}  // namespace

GdiSet GdiSet::For(int dpi) {
  GdiSet set;
  set.ui.Reset(MakeFont(Scale(12, dpi), L"ＭＳ Ｐゴシック", DEFAULT_PITCH | FF_DONTCARE));
  set.terminal.Reset(MakeFont(Scale(13, dpi), L"Terminal", FIXED_PITCH | FF_MODERN));
  set.ok.Reset(MakeGlyph(true, Scale(14, dpi)));
  set.cancel.Reset(MakeGlyph(false, Scale(14, dpi)));
  return set;
}

}  // namespace setup::win
